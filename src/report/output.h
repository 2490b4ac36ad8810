// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "report/document.h"

class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QPrintPreviewDialog;
class QWidget;

namespace report {

// Paints every page on a printer or PDF writer, a new page between pages. The device's page
// layout is set to the document's sheet without margins: the model holds the margins.
void paint(const Document& doc, QPagedPaintDevice& device);
// Paints one page with the painter already begun on a device of that resolution (dpi).
void paintPage(const Page& page, QPainter& painter, double dpi);

// Writes the document as a PDF file; false when the file cannot be written.
bool writePdf(const Document& doc, const QString& path, const QString& title = QString());

// Shows a laid-out report to the user and returns when they close it. The real one is the
// print preview dialog (every page, zoom, print, save as PDF); tests put their own in place.
class Previewer {
public:
    virtual ~Previewer() = default;
    virtual void preview(const Document& doc, const QString& title) = 0;
};

Previewer& previewer();
// Replaces the previewer (tests); null restores the print preview dialog.
void setPreviewer(Previewer* p);

// The modal preview through the current previewer.
void preview(const Document& doc, const QString& title = QString());

// The print preview dialog on a document, with a "Gem som PDF" action that asks for the
// file through the dialogs service. Exposed so a test or screenshot driver can show it.
// The caller owns the dialog; the document is copied into it.
QPrintPreviewDialog* createPreviewDialog(const Document& doc, const QString& title,
                                         QWidget* parent = nullptr);

}  // namespace report
