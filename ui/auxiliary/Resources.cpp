#include "Resources.h"

#include <QImage>
#include <QImageReader>
#include <QResource>

#include <cstdint>
#include <cstring>
#include <QPixmapCache>
#include <QtGlobal>

// The registration macro declares its function in the global namespace, so it may only be used from a
// function that is itself outside any namespace.
static void RegisterTrelResources() {
    Q_INIT_RESOURCE(resources);
}

namespace trel {
namespace {

std::uint32_t LittleEndian(const uchar* bytes, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

// The logo is an uncompressed 24-bit bitmap stored uncompressed in the resources: its rows are shown
// straight from the program's own bytes, with nothing decoded. Any other bitmap goes through the reader.
QImage StoredBitmap(const QResource& resource) {
    const auto* bytes = resource.data();
    const qint64 size = resource.size();
    if (resource.compressionAlgorithm() != QResource::NoCompression || size < 54 || std::memcmp(bytes, "BM", 2) != 0)
        return {};
    const std::uint32_t offset = LittleEndian(bytes + 10, 4);
    const auto width = static_cast<std::int32_t>(LittleEndian(bytes + 18, 4));
    const auto height = static_cast<std::int32_t>(LittleEndian(bytes + 22, 4));
    const std::uint32_t bits = LittleEndian(bytes + 28, 2);
    const std::uint32_t compression = LittleEndian(bytes + 30, 4);
    const qint64 stride = (qint64{width} * 3 + 3) / 4 * 4;
    if (bits != 24 || compression != 0 || width <= 0 || height <= 0 || width > 4096 || height > 4096 ||
        offset + stride * height > size)
        return {};
    // Rows are stored bottom-up in blue, green, red order. They are written once, top-down, in the format an
    // opaque pixmap keeps, so making the pixmap copies and converts nothing.
    QImage image(width, height, QImage::Format_RGB32);
    for (std::int32_t y = 0; y < height; ++y) {
        const uchar* in = bytes + offset + stride * (height - 1 - y);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (std::int32_t x = 0; x < width; ++x, in += 3)
            out[x] = qRgb(in[2], in[1], in[0]);
    }
    return image;
}

} // namespace

void InitResources() {
    static const bool registered = (RegisterTrelResources(), true);
    (void)registered;
}

QPixmap ResourcePixmap(Picture picture) {
    InitResources();
    const bool logo = picture == Picture::Logo;
    const QString path = logo ? QStringLiteral(":/trel/logo.bmp") : QStringLiteral(":/trel/icon.png");
    QPixmap pixmap;
    if (QPixmapCache::find(path, &pixmap))
        return pixmap;
    QImage image = logo ? StoredBitmap(QResource(path)) : QImage();
    if (image.isNull()) {
        QImageReader reader(path, logo ? "bmp" : "png");
        reader.setAutoDetectImageFormat(false);
        image = reader.read();
    }
    pixmap = QPixmap::fromImage(std::move(image));
    QPixmapCache::insert(path, pixmap);
    return pixmap;
}

} // namespace trel
