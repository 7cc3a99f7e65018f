#include "cli/PdfOutput.h"

#include <QBuffer>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QString>

#include "platform/AtomicFile.h"
#include "platform/PrintPlayer.h"

namespace tabulo {

Status WritePdf(const PrintDocument& doc, const std::filesystem::path& path) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    bool ok = false;
    {
        QPdfWriter writer(&buffer);
        // The resolution of the window's printer when it prints into a file.
        writer.setResolution(1200);
        writer.setTitle(QString::fromStdString(doc.name));
        writer.setCreator(QStringLiteral("Tabulo"));
        const double m = kPrintoutMarginMm;
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(m, m, m, m), QPageLayout::Millimeter));
        ok = PlayDocument(writer, writer.resolution(), doc);
    }
    if (!ok) {
        return FileError{FileErrorCode::IoError, path.string(), "PDF を作成できません。", true};
    }
    const QByteArray& bytes = buffer.data();
    const auto* p = reinterpret_cast<const std::byte*>(bytes.constData());
    return AtomicSave(path, std::span<const std::byte>(p, static_cast<std::size_t>(bytes.size())));
}

}  // namespace tabulo
