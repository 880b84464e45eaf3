#include "BenchRegistry.h"
#include "ProbeLaunch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Reads "<label> <resident KiB> <peak KiB>".
bool readMemory(const QByteArray& line, const char* label, double& resident, double& peak)
{
    const QList<QByteArray> fields = line.trimmed().split(' ');
    if (fields.size() != 3 || fields[0] != label)
        return false;
    resident = fields[1].toDouble() * 1024;
    peak = fields[2].toDouble() * 1024;
    return true;
}

} // namespace

// Starts the probe, times it until it reports its first paint, and collects what it reports
// until it ends. Its own messages are shown only when it fails.
Launch launch(const QString& program, const QStringList& arguments, const QString& directory)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(directory);
    const auto fail = [&](const char* what) {
        process.kill();
        process.waitForFinished();
        qFatal("%s %s:\n%s", qPrintable(program), what, process.readAllStandardError().constData());
    };
    Launch result;
    QElapsedTimer clock;
    clock.start();
    process.start();
    while (!process.canReadLine()) {
        if (!process.waitForReadyRead(10000))
            fail("reported no first paint");
    }
    result.secondsToFirstPaint = double(clock.nsecsElapsed()) / 1e9;
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        fail("did not end cleanly");
    double openedPeak = 0;
    bool memory = false;
    while (process.canReadLine()) {
        const QByteArray line = process.readLine();
        memory = memory || readMemory(line, "memory", result.residentBytes, result.peakBytes);
        readMemory(line, "settled", result.settledResidentBytes, result.settledPeakBytes);
        readMemory(line, "opened", result.openedResidentBytes, openedPeak);
    }
    if (!memory)
        fail("reported no memory");
    return result;
}

namespace {

// The program's start-up and the bare windows it is held against, launched in turns so that all
// see the same machine, in a small clip folder as a user's would be, with one 1 MiB clip.
class Launches
{
public:
    std::vector<Launch> snipwell;
    std::vector<Launch> bare;
    std::vector<Launch> bareWithText;
    std::vector<Launch> snipwellOpening; // settling, then opening the 1 MiB clip

    explicit Launches(bool openClip)
    {
        QTemporaryDir clips;
        for (int i = 0; i < 20; ++i)
            write(clips.filePath(u"faq"_s + QString::number(i) + u".txt"_s), "Dear customer,\r\nthank you.");
        QByteArray big;
        while (big.size() < (1 << 20))
            big += "Dear customer, thank you for your message about the order.\r\n";
        big.truncate(1 << 20);
        write(clips.filePath(u"big.txt"_s), big);

        const QString dir = QCoreApplication::applicationDirPath();
        const QString snipwellProbe = dir + u"/snipwell-startup-probe"_s;
        const QString bareProbe = dir + u"/bare-window-probe"_s;
        const auto run = [&](const QString& program, const QStringList& arguments) {
            return launch(program, arguments, clips.path());
        };
        // The first round warms the file cache for all.
        for (int i = 0; i <= kRepetitions; ++i) {
            const bool counted = i > 0;
            const Launch b = run(bareProbe, {});
            const Launch t = run(bareProbe, { u"text"_s });
            const Launch s = run(snipwellProbe, {});
            if (counted) {
                bare.push_back(b);
                bareWithText.push_back(t);
                snipwell.push_back(s);
            }
            if (openClip) {
                const Launch o = run(snipwellProbe, { u"open"_s, u"big"_s });
                if (counted)
                    snipwellOpening.push_back(o);
            }
        }
    }

private:
    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }
};

double medianOf(const std::vector<Launch>& launches, double Launch::*figure)
{
    std::vector<double> samples;
    for (const Launch& one : launches)
        samples.push_back(one.*figure);
    return median(samples);
}

QString platform()
{
    return u" ("_s + qEnvironmentVariable("QT_QPA_PLATFORM") + u')';
}

const BenchRegistration startUpRows("start-up", [](QList<BenchRow>& rows) {
    const Launches launches(false);
    const auto seconds = [](const std::vector<Launch>& of) { return medianOf(of, &Launch::secondsToFirstPaint); };
    const QString name = u"Process start to the main window's first paint"_s + platform();
    const QString note = u"start-up as shipped, splash included; each launch timed from outside"_s;
    rows.append(
        { name, seconds(launches.snipwell), u"bare QWidget to its first paint"_s, seconds(launches.bare), 0, note });
    rows.append({ name, seconds(launches.snipwell), u"bare QWidget with one label (fonts set up)"_s,
                  seconds(launches.bareWithText), 1.3, note });
});

const BenchRegistration memoryRows("resident memory", [](QList<BenchRow>& rows) {
    const Launches launches(true);
    const auto resident = [](const std::vector<Launch>& of) { return medianOf(of, &Launch::residentBytes); };
    const auto peak = [](const std::vector<Launch>& of) { return medianOf(of, &Launch::peakBytes); };
    const QString atPaint = u"Resident at the main window's first paint"_s + platform();
    const QString labelFloor = u"bare QWidget with one label (fonts set up)"_s;
    const QString note = u"VmRSS, read by each probe from /proc/self/status"_s;
    rows.append({ atPaint, resident(launches.snipwell), u"bare QWidget at its first paint"_s, resident(launches.bare),
                  0, note, BenchUnit::Bytes });
    rows.append({ atPaint, resident(launches.snipwell), labelFloor, resident(launches.bareWithText), 1.5, note,
                  BenchUnit::Bytes });
    const std::vector<Launch>& settling = launches.snipwellOpening;
    rows.append({ u"Resident once the splash window is gone"_s + platform(),
                  medianOf(settling, &Launch::settledResidentBytes), labelFloor, resident(launches.bareWithText), 1.5,
                  u"VmRSS, about a second after start"_s, BenchUnit::Bytes });
    rows.append({ u"Peak resident until the splash window is gone"_s + platform(),
                  medianOf(settling, &Launch::settledPeakBytes), labelFloor, peak(launches.bareWithText), 1.5,
                  u"VmHWM; the floor's peak is at its first paint"_s, BenchUnit::Bytes });
    std::vector<double> growth;
    for (const Launch& one : settling)
        growth.push_back(one.openedResidentBytes - one.settledResidentBytes);
    rows.append({ u"Resident with a 1 MiB clip opened by Enter and painted"_s,
                  medianOf(settling, &Launch::openedResidentBytes), u"the same launch, steady before it"_s,
                  medianOf(settling, &Launch::settledResidentBytes), 0,
                  u"+"_s + QString::number(median(growth) / (1 << 20), 'f', 1) + u" MiB"_s, BenchUnit::Bytes });
});

} // namespace
