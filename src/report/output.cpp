// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/output.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <QStyle>
#include <QToolBar>

#include "i18n/texts.h"
#include "toolkit/dialogs.h"

namespace report {

namespace {

QPageLayout sheetLayout(const Document& doc) {
    return QPageLayout(QPageSize(doc.pageSize, QPageSize::Millimeter), QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

void paintPages(const Document& doc, QPagedPaintDevice& device, QPainter& painter, double dpi) {
    for (qsizetype i = 0; i < doc.pages.size(); ++i) {
        if (i > 0) {
            device.newPage();
        }
        paintPage(doc.pages.at(i), painter, dpi);
    }
}

}  // namespace

void paintPage(const Page& page, QPainter& painter, double dpi) {
    const double k = dpi / 25.4;
    auto scaled = [k](const QRectF& r) {
        return QRectF(r.left() * k, r.top() * k, r.width() * k, r.height() * k);
    };
    for (const PlacedBox& b : page.boxes) {
        painter.fillRect(scaled(b.rect), b.fill);
    }
    // Texts are drawn at their baseline, measured once per font change: far cheaper than
    // laying out each string in its rectangle, and the model already holds one line.
    QFont current;
    bool haveFont = false;
    QFontMetricsF fm(painter.font());
    for (const PlacedText& t : page.texts) {
        if (!haveFont || !(t.font == current)) {
            painter.setFont(t.font);
            current = t.font;
            haveFont = true;
            fm = QFontMetricsF(painter.fontMetrics());
        }
        painter.setPen(t.color);
        const QRectF r = scaled(t.rect);
        double x = r.left();
        if (t.alignment & (Qt::AlignRight | Qt::AlignHCenter)) {
            const double w = fm.horizontalAdvance(t.text);
            x = (t.alignment & Qt::AlignRight) ? r.right() - w : r.left() + (r.width() - w) / 2;
        }
        painter.drawText(QPointF(x, r.top() + fm.ascent()), t.text);
    }
}

void paint(const Document& doc, QPagedPaintDevice& device) {
    device.setPageLayout(sheetLayout(doc));
    if (auto* printer = dynamic_cast<QPrinter*>(&device)) {
        printer->setFullPage(true);
    }
    QPainter painter(&device);
    if (!painter.isActive()) {
        return;
    }
    paintPages(doc, device, painter, device.logicalDpiX());
}

bool writePdf(const Document& doc, const QString& path, const QString& title) {
    QPdfWriter writer(path);
    writer.setResolution(1200);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Verdamo"));
    writer.setPageLayout(sheetLayout(doc));
    QPainter painter;
    if (!painter.begin(&writer)) {
        return false;
    }
    paintPages(doc, writer, painter, writer.resolution());
    return painter.end();
}

namespace {

void savePdf(const Document& doc, const QString& title) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString name =
        (title.isEmpty() ? i18n::text(u"ReportTexts", u"Report", QStringLiteral("Rapport"))
                         : title) +
        QStringLiteral(".pdf");
    QString path = toolkit::dialogs().SaveFile(QStringLiteral("PDF (*.pdf)|*.pdf"),
                                               QDir(folder).filePath(name));
    if (path.isEmpty()) {
        return;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".pdf");
    }
    if (!writePdf(doc, path, title)) {
        toolkit::dialogs().ShowError(i18n::text(u"ReportTexts", u"SaveFailed",
                                                QStringLiteral("Filen kunne ikke gemmes:\n\r%1"))
                                         .arg(QDir::toNativeSeparators(path)));
    }
}

class DialogPreviewer final : public Previewer {
public:
    void preview(const Document& doc, const QString& title) override {
        std::unique_ptr<QPrintPreviewDialog> dialog(
            createPreviewDialog(doc, title, QApplication::activeWindow()));
        dialog->exec();
    }
};

Previewer* g_previewer = nullptr;

}  // namespace

QPrintPreviewDialog* createPreviewDialog(const Document& doc, const QString& title,
                                         QWidget* parent) {
    // A printer at its own resolution rather than the screen's; it lives as long as the dialog.
    auto* printer = new QPrinter(QPrinter::HighResolution);
    auto* dialog = new QPrintPreviewDialog(printer, parent);
    QObject::connect(dialog, &QObject::destroyed, [printer] { delete printer; });
    dialog->setWindowTitle(
        title.isEmpty() ? i18n::text(u"ReportTexts", u"Preview", QStringLiteral("Vis udskrift"))
                        : title);
    printer->setFullPage(true);
    printer->setPageLayout(sheetLayout(doc));
    printer->setDocName(title);
    printer->setCopyCount(1);
    printer->setDuplex(QPrinter::DuplexNone);
    QObject::connect(dialog, &QPrintPreviewDialog::paintRequested, dialog,
                     [doc](QPrinter* p) { paint(doc, *p); });
    if (auto* bar = dialog->findChild<QToolBar*>()) {
        bar->addSeparator();
        const QString saveText =
            i18n::text(u"ReportTexts", u"SavePdf", QStringLiteral("Gem som PDF"));
        QAction* save =
            bar->addAction(dialog->style()->standardIcon(QStyle::SP_DialogSaveButton), saveText);
        save->setObjectName(QStringLiteral("savePdfAction"));
        save->setToolTip(saveText);
        QObject::connect(save, &QAction::triggered, dialog, [doc, title] { savePdf(doc, title); });
    }
    return dialog;
}

Previewer& previewer() {
    static DialogPreviewer dialogs;
    return g_previewer ? *g_previewer : dialogs;
}

void setPreviewer(Previewer* p) {
    g_previewer = p;
}

void preview(const Document& doc, const QString& title) {
    previewer().preview(doc, title);
}

}  // namespace report
