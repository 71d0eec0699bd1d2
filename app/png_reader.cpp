// Built into the program as a static plugin, so the toolkit finds it without a library.
#define QT_STATICPLUGIN

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QImageIOHandler>
#include <QImageIOPlugin>
#include <QImageReader>
#include <QSize>
#include <QVariant>

#include <memory>

// Every picture the window shows is a PNG: its own drawings, the style's frames and arrows,
// the icon. Told only a file's suffix, the toolkit's image reader loads every image plugin (and
// Qt SVG and libjpeg with them) to ask each whether it reads PNG before it uses the PNG decoder
// it carries itself: two milliseconds of the start and half a megabyte for nothing. This
// plugin answers for the suffix and hands the reading to that built-in decoder.

namespace {

// Set while the built-in decoder is being found, so this plugin steps aside for it.
thread_local bool t_handing_over = false;

const QByteArray SIGNATURE("\x89PNG\r\n\x1a\n", 8);

class BuiltInPngHandler : public QImageIOHandler
{
public:
    // Before the decoder is found, the reader asks this while it holds its lock, so no reader
    // may be made here: the signature is what the built-in decoder looks for too. After it,
    // the decoder knows (the header it read is no longer ahead on the device).
    bool canRead() const override
    {
        if (m_reader)
            return m_reader->canRead();
        return device() && device()->peek(SIGNATURE.size()) == SIGNATURE;
    }

    bool supportsOption(ImageOption option) const override
    {
        return option == Size || option == ImageFormat;
    }
    QVariant option(ImageOption option) const override
    {
        switch (option) {
        case Size: return built_in().size();
        case ImageFormat: return built_in().imageFormat();
        default: return QVariant();
        }
    }

    bool read(QImage *image) override { return built_in().read(image); }

private:
    // The toolkit's own decoder on this device, found once; it reads the header for the size
    // and goes on from there, as it does alone.
    QImageReader &built_in() const
    {
        if (!m_reader) {
            t_handing_over = true;
            m_reader = std::make_unique<QImageReader>(device(), "png");
            m_reader->setAutoDetectImageFormat(false);
            m_reader->canRead(); // finds the decoder while this plugin steps aside
            t_handing_over = false;
        }
        return *m_reader;
    }

    mutable std::unique_ptr<QImageReader> m_reader;
};

} // namespace

class PngReaderPlugin : public QImageIOPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "png_reader.json")

public:
    Capabilities capabilities(QIODevice *, const QByteArray &format) const override
    {
        return format == "png" && !t_handing_over ? CanRead : Capabilities();
    }

    QImageIOHandler *create(QIODevice *device, const QByteArray &format) const override
    {
        auto *handler = new BuiltInPngHandler;
        handler->setDevice(device);
        handler->setFormat(format);
        return handler;
    }
};

#include "png_reader.moc"
