#include "BenchRegistry.h"

#include "JpegPicture.h"
#include "SplashPicture.h"
#include "TForm2.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>
#include <vector>

#include <jpeglib.h>

namespace {

// libjpeg with nothing of ours around it: default settings (which are the accurate integer
// transform), RGB rows into a plain buffer. The floor of the decode.
void plainDecode(const QByteArray& bytes)
{
    static std::vector<unsigned char> pixels;
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    const size_t stride = size_t(cinfo.output_width) * 3;
    pixels.resize(stride * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = pixels.data() + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
}

void decodeRows(QList<BenchRow>& rows)
{
    const QByteArray bytes = SplashPicture::bytes();
    const auto decode = [&](int depth) {
        JpegPicture::fixDisplayDepth(depth);
        QImage image;
        JpegPicture(bytes).decode(image);
    };
    const auto [trueColour, plain] = medianSecondsBeside([&] { decode(24); }, [&] { plainDecode(bytes); }, 20);
    rows.append({ u"Read header and decode the splash picture, 24-bit"_qs, trueColour, u"libjpeg alone, same output"_qs,
                  plain, 1.2, u"350 x 200, progressive, 7 scans"_qs });
    const auto [palette, trueColour2] = medianSecondsBeside([&] { decode(8); }, [&] { decode(24); }, 20);
    rows.append({ u"Decode the splash picture, 236 colours (8-bit display)"_qs, palette, u"the 24-bit decode"_qs,
                  trueColour2, 0, u"two-pass quantisation, Floyd-Steinberg"_qs });
    JpegPicture::fixDisplayDepth(24);
}

// Seconds from starting the program until it reports the first paint of its window.
double secondsToFirstPaint(const QString& program, const QStringList& arguments, const QString& directory)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(directory);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    process.start();
    while (!process.canReadLine()) {
        if (!process.waitForReadyRead(10000))
            qFatal("%s reported no first paint", qPrintable(program));
    }
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    if (!process.waitForFinished(10000) || process.exitCode() != 0)
        qFatal("%s did not end cleanly", qPrintable(program));
    return seconds;
}

double median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// The splash window's own share of start-up: construction (header read), showing and the first
// paint (the full decode), in this process.
void splashShareRow(QList<BenchRow>& rows)
{
    const double seconds = medianSeconds([] {
        auto window = std::make_unique<TForm2>();
        window->show();
        window->repaint();
        window->hide();
    });
    rows.append({ u"Splash window built, shown and first painted"_qs,
                  seconds,
                  {},
                  0,
                  0,
                  u"its share of start-up; its second delays only the topmost switch"_qs });
}

void startUpRows(QList<BenchRow>& rows)
{
    const QString dir = QCoreApplication::applicationDirPath();
    const QString snipwell = dir + u"/snipwell-startup-probe"_qs;
    const QString bare = dir + u"/bare-window-probe"_qs;
    // A small clip folder, as a user's would be.
    QTemporaryDir clips;
    for (int i = 0; i < 20; ++i) {
        QFile file(clips.filePath(u"faq"_qs + QString::number(i) + u".txt"_qs));
        if (!file.open(QIODevice::WriteOnly) || file.write("Dear customer,\r\nthank you.") < 0)
            qFatal("cannot write a clip");
    }
    const auto launch = [&](const QString& program, const QStringList& arguments) {
        return secondsToFirstPaint(program, arguments, clips.path());
    };
    // Warm the file cache for all three, then take turns so that all see the same machine.
    launch(bare, {});
    launch(bare, { u"text"_qs });
    launch(snipwell, {});
    std::vector<double> bareSamples;
    std::vector<double> textSamples;
    std::vector<double> snipwellSamples;
    for (int i = 0; i < kRepetitions; ++i) {
        bareSamples.push_back(launch(bare, {}));
        textSamples.push_back(launch(bare, { u"text"_qs }));
        snipwellSamples.push_back(launch(snipwell, {}));
    }
    const QString name
        = u"Process start to the main window's first paint ("_qs + qEnvironmentVariable("QT_QPA_PLATFORM") + u')';
    const QString note = u"start-up as shipped, splash included; each launch timed from outside"_qs;
    rows.append({ name, median(snipwellSamples), u"bare QWidget to its first paint"_qs, median(bareSamples), 0, note });
    rows.append({ name, median(snipwellSamples), u"bare QWidget with one label (fonts set up)"_qs, median(textSamples),
                  1.3, note });
}

const BenchRegistration splashRows("splash", [](QList<BenchRow>& rows) {
    decodeRows(rows);
    splashShareRow(rows);
    startUpRows(rows);
});

} // namespace
