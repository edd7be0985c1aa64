# SPDX-License-Identifier: MIT
# The program's versions come from CHANGELOG.md alone: each entry starts with
# a heading "## VERSION (YYYY-MM-DD)", newest first, and its changes follow as
# "- " items. Included before project(): sets PICTOR_VERSION and
# PICTOR_RELEASE_DATE from the newest entry. pictor_debian_changelog() and
# pictor_metainfo_releases() give every entry in the forms the Debian package
# and the software-centre description want.
set(PICTOR_CHANGELOG ${CMAKE_CURRENT_LIST_DIR}/../CHANGELOG.md)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PICTOR_CHANGELOG})
file(READ ${PICTOR_CHANGELOG} PICTOR_CHANGELOG_TEXT)

set(pictor_heading "## ([0-9]+(\\.[0-9]+)*) \\(([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])\\)")
string(REGEX MATCHALL "\n## [^\n]*" pictor_any_headings "${PICTOR_CHANGELOG_TEXT}")
string(REGEX MATCHALL "\n${pictor_heading}\n" PICTOR_CHANGELOG_HEADINGS "${PICTOR_CHANGELOG_TEXT}")
list(LENGTH pictor_any_headings pictor_any_count)
list(LENGTH PICTOR_CHANGELOG_HEADINGS pictor_count)
if(pictor_count EQUAL 0 OR NOT pictor_count EQUAL pictor_any_count)
  message(FATAL_ERROR "CHANGELOG.md: every entry must start with \"## VERSION (YYYY-MM-DD)\"")
endif()
list(GET PICTOR_CHANGELOG_HEADINGS 0 pictor_newest)
string(REGEX MATCH "${pictor_heading}" pictor_newest "${pictor_newest}")
set(PICTOR_VERSION ${CMAKE_MATCH_1})
set(PICTOR_RELEASE_DATE ${CMAKE_MATCH_3}-${CMAKE_MATCH_4}-${CMAKE_MATCH_5})

# The date of a heading as Debian's changelog writes it (RFC 5322, noon UTC):
# the day of the week by Zeller's congruence.
function(pictor_changelog_date year month day output)
  string(REGEX REPLACE "^0" "" month ${month})
  string(REGEX REPLACE "^0" "" day ${day})
  set(names Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  math(EXPR index "${month} - 1")
  list(GET names ${index} month_name)
  set(y ${year})
  set(m ${month})
  if(m LESS 3)
    math(EXPR m "${m} + 12")
    math(EXPR y "${y} - 1")
  endif()
  math(EXPR weekday
    "(${day} + 13 * (${m} + 1) / 5 + ${y} % 100 + ${y} % 100 / 4 + ${y} / 400 + 5 * (${y} / 100)) % 7")
  set(days Sat Sun Mon Tue Wed Thu Fri)
  list(GET days ${weekday} weekday_name)
  if(day LESS 10)
    set(day 0${day})
  endif()
  set(${output} "${weekday_name}, ${day} ${month_name} ${year} 12:00:00 +0000" PARENT_SCOPE)
endfunction()

# Writes every entry as a Debian changelog of PACKAGE, signed by MAINTAINER.
function(pictor_debian_changelog output package maintainer)
  set(rest "${PICTOR_CHANGELOG_TEXT}")
  set(entries)
  foreach(heading IN LISTS PICTOR_CHANGELOG_HEADINGS)
    string(FIND "${rest}" "${heading}" at)
    string(LENGTH "${heading}" length)
    math(EXPR at "${at} + ${length}")
    string(SUBSTRING "${rest}" ${at} -1 rest)
    string(FIND "${rest}" "\n## " end)
    string(SUBSTRING "${rest}" 0 ${end} body)
    string(STRIP "${body}" body)
    # Items "- " become "  * ", their following lines indented alike.
    string(REGEX REPLACE "\n([^\n])" "\n  \\1" body "\n${body}")
    string(REPLACE "\n  - " "\n  * " body "${body}")
    string(SUBSTRING "${body}" 1 -1 body)
    string(REGEX MATCH "${pictor_heading}" heading "${heading}")
    pictor_changelog_date(${CMAKE_MATCH_3} ${CMAKE_MATCH_4} ${CMAKE_MATCH_5} date)
    string(APPEND entries "${package} (${CMAKE_MATCH_1}) unstable; urgency=medium\n\n"
      "${body}\n\n -- ${maintainer}  ${date}\n\n")
  endforeach()
  string(STRIP "${entries}" entries)
  # Written only when changed, so that its compressed copy is not made again
  # at every configure; taken as it is (no @VAR@ replaced in an address).
  set(old)
  if(EXISTS ${output})
    file(READ ${output} old)
  endif()
  if(NOT old STREQUAL "${entries}\n")
    file(WRITE ${output} "${entries}\n")
  endif()
endfunction()

# Sets OUTPUT to the metainfo's <release> elements, one per entry.
function(pictor_metainfo_releases output)
  set(releases)
  foreach(heading IN LISTS PICTOR_CHANGELOG_HEADINGS)
    string(REGEX MATCH "${pictor_heading}" heading "${heading}")
    string(APPEND releases
      "    <release version=\"${CMAKE_MATCH_1}\" date=\"${CMAKE_MATCH_3}-${CMAKE_MATCH_4}-${CMAKE_MATCH_5}\"/>\n")
  endforeach()
  string(STRIP "${releases}" releases)
  set(${output} "${releases}" PARENT_SCOPE)
endfunction()
