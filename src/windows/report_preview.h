// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

#include <QString>

class QPrinter;
class QWidget;

// The real report preview: a modeless print preview window over parent,
// with an A4 printer of its own, from which the operator prints on any
// printer or saves a PDF. paint draws the report onto the printer it gets.
// The window deletes itself when closed.
void showReportPreview(QWidget* parent, const QString& title, std::function<void(QPrinter*)> paint);
