// SPDX-License-Identifier: MIT
#pragma once

class PrintDocument;
class QPrinter;

// Prints document onto printer, a printer that makes a PDF file (its
// outputFileName), as the program makes every PDF: into a temporary file
// first, then with its text mended so that a reader finds the kanji a CJK
// font draws (pdfWithUnifiedIdeographs), put at the printer's file name whole
// or not at all (replaceFile, without a backup). Returns the pages printed;
// 0 when the document could not be printed or the file not written.
int printPdf(PrintDocument& document, QPrinter& printer);
