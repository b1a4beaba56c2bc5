// Turns the user's guide (Markdown with screenshots) into the PDF that Help > User's Guide
// opens, with Qt alone: QTextDocument reads the Markdown, QPdfWriter writes the pages.
//
//   guidepdf [--images DIR]... INPUT.md OUTPUT.pdf
//
// Images are looked up by file name in the --images directories, in the order given, and
// then relative to the Markdown file. A missing image is an error: a guide never goes out
// with a hole in it. The first level-1 heading is the title; every level-2 heading starts a
// new page and gets a line in the table of contents, which follows the title.
#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextTable>
#include <cstdio>

namespace {

void complain(const QString &text)
{
    std::fprintf(stderr, "guidepdf: %s\n", qPrintable(text));
}

// The image files that the Markdown names, resolved; false when one is missing.
bool loadImages(QTextDocument &doc, const QString &markdown, const QStringList &dirs, const QString &baseDir,
                QHash<QString, QSize> &sizes)
{
    static const QRegularExpression ref(QStringLiteral("!\\[[^\\]]*\\]\\(([^)\\s]+)"));
    bool ok = true;
    for (auto it = ref.globalMatch(markdown); it.hasNext();) {
        QString name = it.next().captured(1);
        if (sizes.contains(name))
            continue;
        QStringList candidates;
        for (const QString &dir : dirs)
            candidates << QDir(dir).filePath(QFileInfo(name).fileName());
        candidates << QDir(baseDir).filePath(name);
        QImage image;
        for (const QString &path : candidates) {
            if (QFileInfo(path).isFile() && image.load(path))
                break;
        }
        if (image.isNull()) {
            complain(QStringLiteral("image %1 not found (looked for %2)").arg(name, candidates.join(QStringLiteral(", "))));
            ok = false;
            continue;
        }
        doc.addResource(QTextDocument::ImageResource, QUrl(name), image);
        sizes.insert(name, image.size());
    }
    return ok;
}

// Screenshots keep their pixel size (at 96 pixels per inch) unless they are wider than the
// text; then they are scaled down to the text width.
void fitImages(QTextDocument &doc, const QHash<QString, QSize> &sizes, qreal maxWidth)
{
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            QTextFragment f = it.fragment();
            if (!f.isValid() || !f.charFormat().isImageFormat())
                continue;
            QTextImageFormat image = f.charFormat().toImageFormat();
            QSize size = sizes.value(image.name());
            if (size.isEmpty())
                continue;
            qreal width = qMin<qreal>(size.width(), maxWidth);
            image.setWidth(width);
            image.setHeight(size.height() * width / size.width());
            QTextCursor c(&doc);
            c.setPosition(f.position());
            c.setPosition(f.position() + f.length(), QTextCursor::KeepAnchor);
            c.setCharFormat(image);
        }
    }
}

// Tables get thin rules and a shaded header row; code blocks a light background, a smaller
// type and line wrapping (a recorded script's lines are longer than the page is wide).
// Lengths are in the printer's pixels, `pixel` of them to a screen pixel.
void styleDocument(QTextDocument &doc, qreal pixel)
{
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QTextCursor c(b);
        if (QTextTable *table = c.currentTable(); table && table->cellAt(c).row() == 0 && table->cellAt(c).column() == 0
                                                 && c.position() == table->cellAt(0, 0).firstPosition()) {
            QTextTableFormat f = table->format();
            f.setBorder(0.6); // table lengths are scaled to the printer by the layout
            f.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
            f.setBorderBrush(QColor(0x99, 0x99, 0x99));
            f.setBorderCollapse(true);
            f.setCellPadding(2);
            f.setCellSpacing(0);
            f.setWidth(QTextLength(QTextLength::PercentageLength, 100));
            table->setFormat(f);
            for (int col = 0; col < table->columns(); ++col) {
                QTextTableCell cell = table->cellAt(0, col);
                QTextCharFormat head = cell.format();
                head.setBackground(QColor(0xe4, 0xea, 0xf2));
                cell.setFormat(head);
            }
        }
        QTextBlockFormat bf = b.blockFormat();
        if (bf.hasProperty(QTextFormat::BlockCodeFence) || bf.nonBreakableLines()) {
            bf.setBackground(QColor(0xf3, 0xf3, 0xf3));
            bf.setLeftMargin(bf.leftMargin() + pixel * 4);
            bf.setNonBreakableLines(false);
            c.setBlockFormat(bf);
            QTextCursor whole(b);
            whole.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            QTextCharFormat small;
            small.setFontPointSize(8);
            whole.mergeCharFormat(small);
        }
        if (bf.headingLevel() > 0) {
            // Headings in the guide's blue.
            QTextCursor whole(b);
            whole.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            QTextCharFormat cf;
            cf.setForeground(QColor(0x1d, 0x4f, 0x8f));
            whole.mergeCharFormat(cf);
        }
    }
}

// Every chapter (level-2 heading) starts a page.
void breakBeforeChapters(QTextDocument &doc)
{
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QTextBlockFormat f = b.blockFormat();
        if (f.headingLevel() == 2 && b.position() > 0) {
            f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(b).setBlockFormat(f);
        }
    }
}

struct Heading {
    QString text;
    QTextBlock block;
};

QList<Heading> chapters(const QTextDocument &doc)
{
    QList<Heading> list;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        if (b.blockFormat().headingLevel() == 2)
            list.append({b.text(), b});
    return list;
}

// The page of a block's first line (a block that starts a page keeps the space above the
// break in its bounding rectangle, so that rectangle starts on the page before).
int pageOf(QTextDocument &doc, const QTextBlock &block)
{
    qreal top = doc.documentLayout()->blockBoundingRect(block).top();
    if (QTextLayout *layout = block.layout(); layout && layout->lineCount() > 0)
        top = layout->position().y() + layout->lineAt(0).y();
    return int(top / doc.pageSize().height()) + 1;
}

bool holdsImage(const QTextBlock &block)
{
    for (auto it = block.begin(); !it.atEnd(); ++it)
        if (it.fragment().charFormat().isImageFormat())
            return true;
    return false;
}

// The layout does not move a picture that would cross the end of a page to the next one (and
// then loses the lines after it): such a paragraph gets a page break before it, and the
// document is laid out again, until no picture crosses a page end.
void keepImagesOnOnePage(QTextDocument &doc)
{
    const qreal height = doc.pageSize().height();
    for (int round = 0; round < 100; ++round) {
        bool moved = false;
        // A fresh layout of the whole document: after a format change the layout starts
        // again at the changed block, and then leaves some paragraphs after a moved picture
        // without lines.
        doc.markContentsDirty(0, doc.characterCount());
        doc.pageCount();
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
            if (!holdsImage(b) || b.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
                continue;
            QRectF r = doc.documentLayout()->blockBoundingRect(b);
            if (r.height() < height && int(r.top() / height) != int((r.bottom() - 1) / height)) {
                QTextBlockFormat f = b.blockFormat();
                f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
                QTextCursor(b).setBlockFormat(f);
                moved = true;
                break; // everything after it moves: look again from a fresh layout
            }
        }
        if (!moved)
            return;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QStringList args = QGuiApplication::arguments().mid(1);
    QStringList imageDirs;
    for (int i = args.indexOf(QStringLiteral("--images")); i >= 0; i = args.indexOf(QStringLiteral("--images"))) {
        if (i + 1 >= args.size())
            break;
        imageDirs << args.at(i + 1);
        args.remove(i, 2);
    }
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: guidepdf [--images DIR]... INPUT.md OUTPUT.pdf\n");
        return 2;
    }
    const QString input = args.at(0), output = args.at(1);

    QFile file(input);
    if (!file.open(QIODevice::ReadOnly)) {
        complain(QStringLiteral("cannot read %1: %2").arg(input, file.errorString()));
        return 1;
    }
    QString markdown = QString::fromUtf8(file.readAll());

    QTextDocument doc;
    QFont body(QStringLiteral("DejaVu Sans"));
    body.setPointSizeF(9.5);
    doc.setDefaultFont(body);
    // The images are added after the text: setMarkdown() empties the document's resources.
    doc.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    QHash<QString, QSize> imageSizes;
    if (!loadImages(doc, markdown, imageDirs, QFileInfo(input).absolutePath(), imageSizes))
        return 1;

    QString title = QStringLiteral("ZelTester User's Guide");
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        if (b.blockFormat().headingLevel() == 1) {
            title = b.text();
            break;
        }

    QDir().mkpath(QFileInfo(output).absolutePath());
    QString partial = output + QStringLiteral(".part");
    QPdfWriter writer(partial);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("ZelTester guidepdf"));
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(18, 16, 18, 18),
                                     QPageLayout::Millimeter));
    const QRect page = writer.pageLayout().paintRectPixels(writer.resolution());
    const int footer = writer.resolution() / 3; // a third of an inch for the page number
    doc.documentLayout()->setPaintDevice(&writer);
    doc.setPageSize(QSizeF(page.width(), page.height() - footer));
    doc.setDocumentMargin(0);

    // Image widths are in pixels at 96 per inch; the text is page.width() printer pixels wide.
    fitImages(doc, imageSizes, page.width() * 96.0 / writer.resolution());
    styleDocument(doc, writer.resolution() / 96.0);

    // The table of contents before the first chapter: chapter names with their page numbers.
    // The numbers are known only after a layout with the table in place; its length does not
    // depend on them, so placeholders of their width give the final layout.
    QList<Heading> toc = chapters(doc);
    QTextBlock afterTitle = doc.begin();
    while (afterTitle.isValid() && afterTitle.blockFormat().headingLevel() != 2)
        afterTitle = afterTitle.next();
    if (!toc.isEmpty() && afterTitle.isValid()) {
        QTextCursor at(afterTitle);
        at.movePosition(QTextCursor::StartOfBlock);
        at.insertBlock();
        at.movePosition(QTextCursor::PreviousBlock);
        QTextBlockFormat headingFormat;
        headingFormat.setHeadingLevel(3);
        headingFormat.setTopMargin(12);
        headingFormat.setBottomMargin(6);
        at.setBlockFormat(headingFormat);
        QTextCharFormat headingChars;
        headingChars.setFontWeight(QFont::Bold);
        headingChars.setFontPointSize(12);
        headingChars.setForeground(QColor(0x1d, 0x4f, 0x8f));
        at.insertText(QStringLiteral("Contents"), headingChars);
        QTextTableFormat tf;
        tf.setBorder(0);
        tf.setCellPadding(1);
        tf.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        tf.setColumnWidthConstraints({QTextLength(QTextLength::PercentageLength, 92),
                                      QTextLength(QTextLength::PercentageLength, 8)});
        at.movePosition(QTextCursor::EndOfBlock);
        QTextTable *table = at.insertTable(int(toc.size()), 2, tf);
        QTextCharFormat plain;
        plain.setFont(body);
        breakBeforeChapters(doc);
        toc = chapters(doc); // the first chapter's text has moved to a new block
        auto fill = [&](const QStringList &numbers) {
            for (int i = 0; i < toc.size(); ++i) {
                QTextCursor name = table->cellAt(i, 0).firstCursorPosition();
                name.setPosition(table->cellAt(i, 0).lastPosition(), QTextCursor::KeepAnchor);
                name.insertText(toc.at(i).text, plain);
                QTextCursor number = table->cellAt(i, 1).firstCursorPosition();
                number.setPosition(table->cellAt(i, 1).lastPosition(), QTextCursor::KeepAnchor);
                QTextBlockFormat right;
                right.setAlignment(Qt::AlignRight);
                number.setBlockFormat(right);
                number.insertText(numbers.value(i), plain);
            }
        };
        fill(QStringList(toc.size(), QStringLiteral("000")));
        keepImagesOnOnePage(doc); // the final page breaks, on a fresh layout
        QStringList pages;
        for (const Heading &h : std::as_const(toc))
            pages << QString::number(pageOf(doc, h.block));
        fill(pages);
    }

    breakBeforeChapters(doc);
    keepImagesOnOnePage(doc);
    // Every paragraph must have been laid out: a paragraph without lines would silently be
    // missing from the PDF.
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b.length() > 1 && (!b.layout() || b.layout()->lineCount() == 0)) {
            complain(QStringLiteral("the paragraph \"%1\" was not laid out").arg(b.text().left(60)));
            return 1;
        }
    }
    QPainter painter;
    if (!painter.begin(&writer)) {
        complain(QStringLiteral("cannot write %1").arg(output));
        return 1;
    }
    const int pages = doc.pageCount();
    const qreal pageHeight = doc.pageSize().height();
    QFont small = body;
    small.setPointSizeF(8);
    for (int n = 0; n < pages; ++n) {
        if (n > 0)
            writer.newPage();
        painter.save();
        painter.setClipRect(QRectF(0, 0, page.width(), pageHeight));
        painter.translate(0, -n * pageHeight);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, n * pageHeight, page.width(), pageHeight);
        doc.documentLayout()->draw(&painter, context);
        painter.restore();
        painter.setFont(small);
        painter.setPen(QColor(0x66, 0x66, 0x66));
        QRectF foot(0, page.height() - footer * 0.6, page.width(), footer * 0.6);
        painter.drawText(foot, Qt::AlignLeft | Qt::AlignBottom, title);
        painter.drawText(foot, Qt::AlignRight | Qt::AlignBottom, QStringLiteral("%1 / %2").arg(n + 1).arg(pages));
    }
    painter.end();

    QFile::remove(output);
    if (!QFile::rename(partial, output)) {
        complain(QStringLiteral("cannot write %1").arg(output));
        return 1;
    }
    std::fprintf(stdout, "guidepdf: %s, %d pages\n", qPrintable(QDir::toNativeSeparators(output)), pages);
    return 0;
}
