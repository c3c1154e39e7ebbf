// Turns the help page's Markdown into the PDF the Help menu opens, with the table of
// keyboard shortcuts taken from the command table the menus are built from.
//
//   vistrel_helpgen <source.md> <output.pdf>

#include "app/MenuCommands.h"

#include <QBrush>
#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <cstdio>

namespace {

// The line in the source that the generated shortcut table replaces.
const QString shortcutsMarker = QStringLiteral("<!-- shortcuts -->");

const QColor headingColour(0x1d, 0x3b, 0x5c);
const QColor ruleColour(0xb0, 0xb8, 0xc0);
const QColor headerRowColour(0xe6, 0xec, 0xf2);

void fail(const QString& message) {
    std::fprintf(stderr, "vistrel_helpgen: %s\n", qPrintable(message));
}

bool readSource(const QString& path, QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        fail(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        return false;
    }
    text = QString::fromUtf8(file.readAll());
    if (!text.contains(shortcutsMarker)) {
        fail(QStringLiteral("%1 has no %2 line for the shortcut table").arg(path, shortcutsMarker));
        return false;
    }
    text.replace(shortcutsMarker, vistrel::shortcutListMarkdown());
    return true;
}

// Thin ruled tables with a tinted header row, across the whole text width.
void styleTable(QTextTable* table) {
    QTextTableFormat format = table->format();
    format.setBorder(2); // device pixels at 300 dpi: a hairline
    format.setBorderBrush(QBrush(ruleColour));
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderCollapse(true);
    format.setCellPadding(4);
    format.setCellSpacing(0);
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    format.setTopMargin(6);
    format.setBottomMargin(10);
    format.setHeaderRowCount(1);
    table->setFormat(format);
    for (int column = 0; column < table->columns(); ++column) {
        QTextTableCell cell = table->cellAt(0, column);
        QTextCharFormat header = cell.format();
        header.setBackground(headerRowColour);
        cell.setFormat(header);
    }
}

void styleTables(QTextFrame* frame) {
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child))
            styleTable(table);
        styleTables(child);
    }
}

// Coloured headings with room above them; the title larger still.
void styleHeadings(QTextDocument& document) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level == 0)
            continue;
        QTextCursor cursor(block);
        QTextBlockFormat spacing = block.blockFormat();
        spacing.setTopMargin(level == 1 ? 0 : 14);
        spacing.setBottomMargin(level == 1 ? 12 : 4);
        cursor.setBlockFormat(spacing);
        cursor.select(QTextCursor::BlockUnderCursor);
        QTextCharFormat text;
        text.setForeground(headingColour);
        text.setFontWeight(QFont::Bold);
        cursor.mergeCharFormat(text);
    }
}

QByteArray renderPdf(QTextDocument& document) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setTitle(QStringLiteral("Vistrel Help"));
    writer.setCreator(QStringLiteral("Vistrel"));
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(20, 18, 20, 18), QPageLayout::Millimeter));
    document.print(&writer);
    return buffer.data();
}

// Written in one go: an interrupted build leaves the old document or none.
bool writeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        fail(QStringLiteral("usage: vistrel_helpgen <source.md> <output.pdf>"));
        return 2;
    }
    QString markdown;
    if (!readSource(arguments.at(1), markdown))
        return 1;

    QTextDocument document;
    QFont body(QStringLiteral("Helvetica"), 10);
    body.setStyleHint(QFont::SansSerif);
    document.setDefaultFont(body);
    document.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    styleHeadings(document);
    styleTables(document.rootFrame());

    const QByteArray pdf = renderPdf(document);
    if (pdf.isEmpty()) {
        fail(QStringLiteral("the PDF came out empty"));
        return 1;
    }
    return writeFile(arguments.at(2), pdf) ? 0 : 1;
}
