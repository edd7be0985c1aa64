# SPDX-License-Identifier: MIT
# The program's Windows icons, drawn at build time at 16, 32, 48 and 256
# pixels (rsvg-convert draws each size, icotool puts them in one .ico, the
# largest kept as PNG) and built into the program as icon resources:
#   IDI_ICON1, pictor.ico from resources/pictor.svg: the program's own, the
#     first, which Windows shows for the .exe and its shortcuts, and which
#     Qt's windows platform gives every window of the program;
#   IDI_ICON2, pictor-job.ico from resources/windows/pictor-job.svg: the job
#     files' (the installer points .ptl files at "pictor.exe,1").
# The installer takes pictor.ico for its own icon too.
find_program(PICTOR_RSVG_CONVERT rsvg-convert)
find_program(PICTOR_ICOTOOL icotool)
if(NOT PICTOR_RSVG_CONVERT OR NOT PICTOR_ICOTOOL)
  message(FATAL_ERROR
    "The Windows icons need rsvg-convert and icotool (Debian: librsvg2-bin icoutils)")
endif()

set(PICTOR_WINDOWS_ICON ${CMAKE_BINARY_DIR}/icons/pictor.ico)

# Draws ${name}.ico in ${CMAKE_BINARY_DIR}/icons from an SVG file.
function(pictor_draw_icon name svg)
  set(dir ${CMAKE_BINARY_DIR}/icons)
  set(draw)
  set(small)
  foreach(size 16 32 48 256)
    set(png ${dir}/${name}-${size}.png)
    list(APPEND draw COMMAND ${PICTOR_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${svg})
    if(NOT size EQUAL 256)
      list(APPEND small ${png})
    endif()
  endforeach()
  add_custom_command(OUTPUT ${dir}/${name}.ico
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    ${draw}
    COMMAND ${PICTOR_ICOTOOL} -c -o ${dir}/${name}.ico ${small} --raw=${dir}/${name}-256.png
    DEPENDS ${svg}
    COMMENT "Drawing the Windows icon ${name}.ico"
    VERBATIM)
endfunction()

# Adds both icons as resources of an executable target of the calling folder.
function(pictor_windows_icon target)
  set(dir ${CMAKE_BINARY_DIR}/icons)
  pictor_draw_icon(pictor ${PROJECT_SOURCE_DIR}/resources/pictor.svg)
  pictor_draw_icon(pictor-job ${PROJECT_SOURCE_DIR}/resources/windows/pictor-job.svg)
  set(icons ${dir}/pictor.ico ${dir}/pictor-job.ico)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/pictor_icons.rc)
  file(CONFIGURE OUTPUT ${rc} CONTENT
    "IDI_ICON1 ICON \"@dir@/pictor.ico\"\nIDI_ICON2 ICON \"@dir@/pictor-job.ico\"\n" @ONLY)
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${icons}")
  target_sources(${target} PRIVATE ${rc} ${icons})
endfunction()
