// How long a user waits on the check window: opening it from the list window
// on two 12-megapixel photos, and stepping to the next candidate. Both run
// the whole path a user takes (key press, candidate decoded on a worker
// thread, window painted), so they are timed by the wall clock.
#include "testing/ScriptedDialogs.h"
#include "ui/CheckPane.h"
#include "ui/CheckWindow.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/PhotoLoader.h"
#include "ui/PictureArea.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using korvex::CheckWindow;
using korvex::Form1;

QString str(const char* s) {
    return QString::fromUtf8(s);
}

// Dialogs answered from queues. A message box is kept and answered OK, so an
// unexpected one ends the benchmark with an error instead of blocking it.
using Services = korvex::fakes::ScriptedDialogs<korvex::QtPlatformServices>;

// A camera-sized picture with texture at every scale, so that its JPEG holds
// as much detail as a photograph and costs as much to decode.
QImage texturedPhoto(int seed) {
    QImage image(4032, 3024, QImage::Format_RGB32);
    std::uint32_t noise = 2463534242U + std::uint32_t(seed);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            const double shade = 90.0 + 50.0 * std::sin(x * 0.004 + seed) * std::cos(y * 0.003) +
                                 25.0 * std::sin((x + y) * 0.05);
            const int grain = int(noise & 0x1F) - 16;
            auto channel = [](double v) {
                return std::clamp(int(v), 0, 255);
            };
            line[x] = qRgb(channel(shade + grain), channel(shade * 0.8 + 30 + grain),
                           channel(shade * 0.6 + 20 + (grain >> 1)));
        }
    }
    return image;
}

struct Photos {
    QString first;
    QString second;
    QString error;
};

// The two shared camera photos, or two generated ones of their size when the
// folder is not there; said in the benchmark's context either way.
const Photos& photos() {
    static QTemporaryDir generated;
    static const Photos found = [] {
        Photos p;
        const QDir shared(QDir::cleanPath(str(SHARED_PHOTOS_DIR)));
        const QStringList jpegs = shared.entryList({str("*.jpg")}, QDir::Files, QDir::Name);
        if (jpegs.size() >= 2) {
            p.first = shared.filePath(jpegs[0]);
            p.second = shared.filePath(jpegs[1]);
            benchmark::AddCustomContext(
                "photos", QStringLiteral("%1 and %2").arg(p.first, p.second).toStdString());
            return p;
        }
        p.first = generated.filePath(str("first.jpg"));
        p.second = generated.filePath(str("second.jpg"));
        if (!texturedPhoto(1).save(p.first, "JPEG", 90) ||
            !texturedPhoto(2).save(p.second, "JPEG", 90))
            p.error = QStringLiteral("the generated photos could not be written");
        benchmark::AddCustomContext(
            "photos", QStringLiteral("generated 4032 x 3024 JPEGs at quality 90 (%1 has no two "
                                     "photos): %2, about %3 bytes each")
                          .arg(shared.path(), generated.path())
                          .arg(QFile(p.first).size())
                          .toStdString());
        return p;
    }();
    return found;
}

// The main window as a user leaves it before checking: the sample data set
// loaded, the first photo digitised and appended as "A", the second as "B"
// (it stays open on the sheet), then compared by D. The sheet's own record B
// ranks first and A second.
class Session {
public:
    Session() {
        auto owned = std::make_unique<Services>();
        services_ = owned.get();
        form_ = std::make_unique<Form1>(std::move(owned));
        form_->startUp();
        form_->activateWindow();
        if (!QTest::qWaitForWindowActive(form_.get())) {
            error_ = "the main window did not become active";
            return;
        }
        services_->fileAnswers.push_back(SAMPLES_DIR "/tortoises.tor");
        form_->menuEntry(str("load"), 30)->trigger();
        digitise(photos().first, 0);
        append("A");
        digitise(photos().second, 3);
        append("B");
        form_->menuEntry(str("comp"), 45)->trigger();
        if (!form_->listWindow())
            error_ = "the comparison showed no list window";
        else if (!services_->messages.empty())
            error_ = "unexpected message: " + services_->messages.front().text;
    }

    const std::string& error() const { return error_; }
    Form1& form() { return *form_; }
    CheckWindow* check() { return form_->checkWindow(); }

    // The list line selected, its window active and the list focused, as a
    // user who clicked the line has it, ready for Enter.
    void selectLine(std::size_t row) {
        korvex::Form2* list = form_->listWindow();
        list->selectRow(row);
        list->activateWindow();
        if (!QTest::qWaitForWindowActive(list))
            error_ = "the list window did not become active";
        list->list()->setFocus();
    }
    void pressEnter() { QTest::keyClick(form_->listWindow()->list(), Qt::Key_Return); }

    // Nothing of the last step still decoding or waiting to be shown.
    void settle() {
        if (CheckWindow* window = check())
            window->loader().waitForAll();
        QCoreApplication::processEvents();
    }

private:
    // Opens `photo` and clicks M1..M8 and C1..C6; `wobble` moves the
    // junctions apart as another photo of the animal would.
    void digitise(const QString& photo, int wobble) {
        services_->fileAnswers.push_back(photo.toStdString());
        form_->menuEntry(str("open"), 0)->trigger();
        // The first tick after opening a photo ends its drag mode.
        for (int tries = 0; !form_->check(1)->isChecked() && tries < 3; ++tries)
            QTest::mouseClick(form_->check(1), Qt::LeftButton);
        for (int i = 0; i <= 8; ++i)
            click(QPoint(60 + 4 * (i % 2) + wobble * (i % 3),
                         40 + 30 * i + (i == 4 ? 9 : 0) + wobble * (i % 2)));
        QTest::mouseClick(form_->check(5), Qt::LeftButton);
        for (int i = 0; i <= 6; ++i)
            click(QPoint(200 + (i % 3) + wobble * (i % 2),
                         40 + 38 * i + (i == 2 ? 6 : 0) + wobble * (i % 3)));
        QTest::mouseMove(form_->pictureArea(), QPoint(500, 500));
    }
    void click(QPoint at) {
        QTest::mouseMove(form_->pictureArea(), at);
        QTest::mouseClick(form_->pictureArea(), Qt::LeftButton, {}, at);
    }
    void append(const std::string& code) {
        services_->inputAnswers.push_back(code);
        QTest::mouseClick(form_->command(12), Qt::LeftButton);
    }

    Services* services_ = nullptr;
    std::unique_ptr<Form1> form_;
    std::string error_;
};

using Clock = std::chrono::steady_clock;

// Waits until the candidate's photo is in its pane, paints the window once
// and gives the seconds since `start`; nothing when the photo never came.
// The loop ends from the signal that put the photo there, not from a poll, so
// no wait is added to what the user waits.
std::optional<double> shownAndPainted(CheckWindow& window, Clock::time_point start) {
    const korvex::CheckPane& pane = *window.candidatePane();
    if (!pane.hasPicture()) {
        QEventLoop loop;
        QObject::connect(&window.loader(), &korvex::PhotoLoader::loaded, &loop, [&] {
            if (pane.hasPicture())
                loop.quit();
        });
        QTimer::singleShot(30000, &loop, [&loop] { loop.exit(1); });
        if (loop.exec() != 0)
            return std::nullopt;
    }
    window.repaint();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Why the check window does not show what the timing assumed, or nothing.
std::optional<std::string> wrongCandidate(Session& session, const std::string& code) {
    if (!session.error().empty())
        return session.error();
    CheckWindow* window = session.check();
    if (!window || !window->isVisible())
        return std::string("the check window did not open");
    if (!window->check() || window->check()->code != code)
        return "the candidate is not " + code;
    if (!window->candidatePane()->hasPicture())
        return "the candidate's photo is not shown: " +
               window->candidatePane()->placeholder().toStdString();
    if (!window->sheetPane()->hasPicture())
        return std::string("the sheet's photo is not shown");
    return std::nullopt;
}

// Enter on the second ranked line (record A) until both photos are shown and
// the window has painted. Arg 0: the first check of a session, so the window
// is made too; 1: the window was opened and closed before. The candidate's
// photo is decoded afresh every time.
void BM_OpenCheckWindow(benchmark::State& state) {
    if (!photos().error.isEmpty()) {
        state.SkipWithError(photos().error.toUtf8().constData());
        return;
    }
    const bool fresh = state.range(0) == 0;
    std::unique_ptr<Session> kept;
    if (!fresh) {
        kept = std::make_unique<Session>();
        kept->selectLine(1);
        kept->pressEnter();
        kept->settle();
    }
    for (auto _ : state) {
        std::unique_ptr<Session> made = fresh ? std::make_unique<Session>() : nullptr;
        Session& session = fresh ? *made : *kept;
        if (CheckWindow* window = session.check()) {
            window->close();
            session.settle();
            window->loader().keepOnly({});
        }
        session.selectLine(1);
        QCoreApplication::processEvents();
        const auto start = Clock::now();
        session.pressEnter();
        CheckWindow* window = session.check();
        if (window && window->candidatePane()->hasPicture()) {
            state.SkipWithError("the candidate's photo was shown before it was decoded");
            break;
        }
        const auto seconds = window ? shownAndPainted(*window, start) : std::nullopt;
        if (const auto wrong = wrongCandidate(session, "A"); wrong || !seconds) {
            state.SkipWithError(wrong.value_or("the candidate's photo never came").c_str());
            break;
        }
        state.SetIterationTime(*seconds);
        session.settle();
    }
}
BENCHMARK(BM_OpenCheckWindow)
    ->ArgName("again")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Page Down from the first ranked line (B) to the second (A) until A's photo
// is shown and the window has painted. Arg 0: A's photo was fetched ahead
// while B was shown, as the window does; 1: nothing kept, so it is decoded.
void BM_StepToNextCandidate(benchmark::State& state) {
    if (!photos().error.isEmpty()) {
        state.SkipWithError(photos().error.toUtf8().constData());
        return;
    }
    const bool cold = state.range(0) == 1;
    Session session;
    session.selectLine(0);
    session.pressEnter();
    session.settle();
    if (const auto wrong = wrongCandidate(session, "B")) {
        state.SkipWithError(wrong->c_str());
        return;
    }
    CheckWindow& window = *session.check();
    for (auto _ : state) {
        if (window.check()->position != 0)
            QTest::keyClick(&window, Qt::Key_PageUp);
        session.settle();
        if (cold)
            window.loader().keepOnly({});
        window.repaint();
        const auto start = Clock::now();
        QTest::keyClick(&window, Qt::Key_PageDown);
        if (window.candidatePane()->hasPicture() == cold) {
            state.SkipWithError(cold ? "the photo was shown before it was decoded"
                                     : "the photo fetched ahead was not used");
            break;
        }
        const auto seconds = shownAndPainted(window, start);
        if (const auto wrong = wrongCandidate(session, "A"); wrong || !seconds) {
            state.SkipWithError(wrong.value_or("the candidate's photo never came").c_str());
            break;
        }
        state.SetIterationTime(*seconds);
    }
}
BENCHMARK(BM_StepToNextCandidate)
    ->ArgName("cold")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Where the messages the filter below passes on go.
QtMessageHandler passOn = nullptr;

// The offscreen platform says on every show that it cannot raise a window or
// pass size hints on; that says nothing here and would bury the figures.
void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!text.startsWith(QLatin1StringView("This plugin does not support")))
        passOn(type, context, text);
}

} // namespace

// The windows need a screen: an offscreen one of a common desktop size, so the
// check window opens at the size a user sees. Recovery copies go to a
// temporary folder, never the user's.
int main(int argc, char** argv) {
    QTemporaryDir dir;
    const QString config = dir.filePath(str("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(R"({"screens": [{"name": "desktop", "x": 0, "y": 0, "width": 1920,
                  "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", (str("offscreen:configfile=") + config).toUtf8());
    qputenv("KORVEX_RECOVERY_DIR", dir.filePath(str("recovery")).toUtf8());
    passOn = qInstallMessageHandler(quietOffscreen);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    photos();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
