#include <QAction>
#include <QHeaderView>
#include <QImage>
#include <QSet>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "app/control_table.h"
#include "app/found_layouts.h"
#include "app/script_runner.h"
#include "core/text_format.h"
#include "gui/layout_finder_dialog.h"
#include "modal_answerer.h"
#include "qt_session.h"
#include "support/generated_sheet.h"

namespace nimbrel::testing {

namespace {

void writeModel(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

// Everything a user can see of the window: every control's text, enable and tick state,
// the labels, the lists and the menu.
std::vector<std::string> visibleState(const Window& w, const std::vector<std::string>& results) {
    std::vector<std::string> out;
    for (const ControlSpec& c : controlTable()) {
        if (c.kind == ControlKind::FocusHolder || c.kind == ControlKind::ListBox) continue;
        if (c.label) {
            out.push_back(std::string(labelName(*c.label)) + " " + w.labelText(*c.label));
            continue;
        }
        out.push_back(std::to_string(c.id) + " " + w.text(c.id) + (w.isEnabled(c.id) ? " enabled" : " disabled") +
                      (w.isChecked(c.id) ? " checked" : ""));
    }
    for (const MenuItemSpec& m : menuTable())
        if (m.id != 0) out.push_back(std::to_string(m.id) + (w.isEnabled(m.id) ? " enabled" : " disabled"));
    out.push_back("combo " + std::to_string(w.selectedItem(cmd::kFormatCombo)));
    out.insert(out.end(), results.begin(), results.end());
    return out;
}

// A model the finder finds one mesh in: junk, a 10 x 10 grid of packed float positions,
// junk, the Word triangle list, a line of text.
GeneratedModel foundModel() {
    GeneratedModel m;
    std::uint32_t state = 12345;
    auto junk = [&](int n) {
        for (int i = 0; i < n; ++i) {
            state = state * 1103515245u + 12345u;
            m.bytes.push_back(static_cast<std::uint8_t>(state >> 16));
        }
    };
    const int n = 10;
    junk(64);
    m.right.vertexStart = static_cast<std::uint32_t>(m.bytes.size());
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            for (float c : {x * 0.5f - 3.0f, std::sin(x * 0.4f) * std::cos(y * 0.3f) + 2.0f, y * 0.5f + 1.0f})
                putFloat(m.bytes, c, false);
    junk(32);
    m.right.faceIndexStart = static_cast<std::uint32_t>(m.bytes.size());
    for (int y = 0; y + 1 < n; ++y)
        for (int x = 0; x + 1 < n; ++x) {
            const auto a = static_cast<std::uint32_t>(y * n + x);
            for (std::uint32_t v : {a, a + 1, a + n, a + 1, a + n + 1, a + n}) put(m.bytes, v, 2, false);
        }
    const std::string text = "a line of text after the mesh data\n";
    m.bytes.insert(m.bytes.end(), text.begin(), text.end());
    m.right.faceIndexCnt = 6 * (n - 1) * (n - 1);
    m.right.vertsCnt = n * n;
    return m;
}

// Candidates as the finder hands them over, each of another kind than the one before:
// VB and seq, Word and DW, list, strip and FFFF, UVs in the record and in a block, the
// byte orders and the formats with their divisor.
std::vector<std::pair<const char*, LayoutCandidate>> applySequence() {
    auto make = [](auto&& edit) {
        LayoutCandidate c;
        c.settings.faceIndexCnt = 6;
        c.settings.fvfSize = 20;
        c.settings.uvPos = 12;
        c.settings.vertexStart = 0x100;
        c.settings.vertsCnt = 4;
        edit(c.settings);
        return c;
    };
    return {
        {"VB Word list, UV in record", make([](LayoutSettings&) {})},
        {"seq DW strip, UV block", make([](LayoutSettings& s) {
             s.vbMode = false;
             s.indexSize = 4;
             s.stripMode = true;
             s.uvBlockStart = 0x700;
             s.vertexStart = 0x600;
         })},
        {"VB Word FFFF, UV block of 8", make([](LayoutSettings& s) {
             s.faceIndexStart = 0x10;
             s.faceIndexCnt = 8;
             s.stripMode = true;
             s.ffffSeparator = true;
             s.fvfSize = 12;
             s.uvPos = kNoUvInRecord;
             s.uvBlockStart = 0x780;
             s.uvBlockSize = 8;
             s.vertexStart = 0x102;
         })},
        {"seq Word list bigE", make([](LayoutSettings& s) {
             s.vbMode = false;
             s.bigEndian = true;
             s.uvBlockStart = 0x6F0;
             s.vertexStart = 0x5FE;
         })},
        {"VB DW list, UV in record, WordUV w/8k", make([](LayoutSettings& s) {
             s.indexSize = 4;
             s.fvfSize = 16;
             s.vertexFormat = VertexFormat::WordUV;
             s.uvDivisor = 8192.0f;
         })},
        {"seq Word strip, HF_all", make([](LayoutSettings& s) {
             s.vbMode = false;
             s.stripMode = true;
             s.vertexFormat = VertexFormat::HF_all;
             s.uvBlockStart = 0x704;
             s.vertexStart = 0x604;
         })},
        {"VB Word list, UV block, Float", make([](LayoutSettings& s) {
             s.uvPos = kNoUvInRecord;
             s.uvBlockStart = 0x700;
             s.uvBlockSize = 12;
             s.vertexStart = 0x104;
         })},
        {"VB DW list, UV in record again", make([](LayoutSettings& s) { s.indexSize = 4; })},
        {"seq DW WordUV", make([](LayoutSettings& s) {
             s.vbMode = false;
             s.indexSize = 4;
             s.vertexFormat = VertexFormat::WordUV;
             s.uvBlockStart = 0x5B0;
             s.vertexStart = 0x7E8;
         })},
        {"seq DW WordUV w/8k", make([](LayoutSettings& s) {
             s.vbMode = false;
             s.indexSize = 4;
             s.vertexFormat = VertexFormat::WordUV;
             s.uvDivisor = 8192.0f;
             s.uvBlockStart = 0x3B8;
             s.vertexStart = 0x52C;
         })},
    };
}

int darkPixels(const QImage& image, const QRect& area) {
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 100) ++dark;
    return dark;
}

}  // namespace

class LayoutFinderDialogTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir scratch_;
    std::filesystem::path appDir_;
    std::filesystem::path startDir_;

    std::filesystem::path file(const std::string& name) const { return std::filesystem::path(scratch_.path().toStdString()) / name; }

    void open(QtSession& s, const std::string& name) {
        s.window.queueAnswer(file(name).string());
        s.window.sendCommand(cmd::kOpen);
    }

    // The dialog over the loaded model, its scan done.
    static bool scanned(LayoutFinderDialog& dialog) {
        dialog.startScan();
        return QTest::qWaitFor([&] { return !dialog.isScanning(); }, 60000);
    }

private slots:
    void initTestCase() {
        QVERIFY(scratch_.isValid());
        startDir_ = std::filesystem::current_path();
        appDir_ = file("app");
        std::filesystem::create_directories(appDir_);
        for (const char* tool : {"mesh_viewer", "wordpad", "notepad"}) {
            std::ofstream(appDir_ / tool) << "#!/bin/sh\n";
            std::filesystem::permissions(appDir_ / tool, std::filesystem::perms::owner_all);
        }
        // Two index blocks over their own vertices: two layouts to save.
        std::vector<std::uint8_t> two = sheet(12, 10, 2, false, false).bytes;
        const auto second = sheet(9, 7, 4, false, false).bytes;
        two.insert(two.end(), second.begin(), second.end());
        writeModel(file("two.bin"), two);
        writeModel(file("big.bin"), sheet(400, 300, 4, false, false).bytes);
        writeModel(file("zeros.bin"), std::vector<std::uint8_t>(32 << 10, 0));
        std::string text;
        for (int i = 0; text.size() < (32u << 10); ++i)
            text += "line " + std::to_string(i) + ": the quick brown fox jumps over the lazy dog, 0123456789\n";
        writeModel(file("text.bin"), std::vector<std::uint8_t>(text.begin(), text.end()));
        writeModel(file("found.bin"), foundModel().bytes);
        writeModel(file("apply.bin"), std::vector<std::uint8_t>(0x800, 0x3F));
    }

    void cleanup() { std::filesystem::current_path(startDir_); }

    void menuItemsWaitForAModelAndOpenTheDialog() {
        ModalAnswerer answerer;
        QtSession s(appDir_.string());
        QVERIFY(s.show());
        QCOMPARE(s.window.menuAction(cmd::kFindLayouts)->text(), QStringLiteral("&Find layouts..."));
        QCOMPARE(s.window.menuAction(cmd::kCheckLayout)->text(), QStringLiteral("&Check layout"));
        QVERIFY(!s.window.menuAction(cmd::kFindLayouts)->isEnabled());
        QVERIFY(!s.window.menuAction(cmd::kCheckLayout)->isEnabled());
        open(s, "found.bin");
        QVERIFY(s.window.menuAction(cmd::kFindLayouts)->isEnabled());
        QVERIFY(s.window.menuAction(cmd::kCheckLayout)->isEnabled());

        // The menu opens the modal dialog, which fills its table; the user closes it.
        std::size_t rows = 0;
        QTimer closer;
        closer.setInterval(10);
        connect(&closer, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<LayoutFinderDialog*>(QApplication::activeModalWidget());
            if (!dialog || dialog->isScanning()) return;
            rows = static_cast<std::size_t>(dialog->table()->model()->rowCount());
            dialog->reject();
        });
        closer.start();
        s.window.menuAction(cmd::kFindLayouts)->trigger();
        QVERIFY(rows > 0);
        QCOMPARE(rows, findModelLayouts(s.model, FindOptions{}).size());
    }

    // Apply after Apply, each candidate of another kind than the one before it: both windows
    // show the same fields, captions, enable states and lists, and hold the same settings.
    void applyFillsTheWindowAsTheHeadlessWindowDoes() {
        ModalAnswerer answerer;
        QtSession s(appDir_.string());
        QVERIFY(s.show());
        open(s, "apply.bin");
        ModelBuffer headlessModel(1 << 16);
        std::ostringstream records;
        HeadlessSession headless(headlessModel, records, appDir_.string(), false);
        headless.window().queueAnswer(file("apply.bin").string());
        headless.dispatch(cmd::kOpen);
        for (const auto& [name, candidate] : applySequence()) {
            const QByteArray trace = QByteArray("after ") + name;
            QVERIFY2(applyCandidate(s.ctx, candidate), trace);
            QVERIFY2(applyCandidate(headless.context(), candidate), trace);
            const auto qtState = visibleState(s.window, s.window.lines(field::kResultsList));
            const auto headlessState = visibleState(headless.window(), headless.window().lines(field::kResultsList));
            QCOMPARE(qtState.size(), headlessState.size());
            for (std::size_t i = 0; i < qtState.size(); ++i)
                QVERIFY2(qtState[i] == headlessState[i], qPrintable(trace + ": " + QByteArray::fromStdString(qtState[i]) +
                                                                    " | " + QByteArray::fromStdString(headlessState[i])));
            QVERIFY2(layoutSettingsOf(s.ws) == layoutSettingsOf(headless.workspace()), trace);
            // The fields hold the candidate as a user would type it.
            const LayoutSettings& want = candidate.settings;
            QCOMPARE(s.window.text(field::kFvfSize), want.vbMode ? std::to_string(want.fvfSize) : hexText(want.uvBlockStart));
            QCOMPARE(s.window.text(field::kVertexStart), hexText(want.vertexStart));
            QCOMPARE(s.window.text(cmd::kVbSeq), std::string(want.vbMode ? " VB " : " seq "));
        }
        QVERIFY(answerer.takeRecords().empty());
    }

    // The dialog's Apply button and a double-click both put the chosen row into the window.
    void applyButtonAndDoubleClickTakeTheChosenRow() {
        ModalAnswerer answerer;
        QtSession s(appDir_.string());
        QVERIFY(s.show());
        open(s, "found.bin");
        LayoutFinderDialog dialog(s.ctx, {}, &s.window);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(scanned(dialog));
        QVERIFY(!dialog.candidates().empty());
        dialog.table()->selectRow(0);
        const LayoutCandidate chosen = *dialog.selectedCandidate();
        QCOMPARE(chosen.settings.faceIndexStart, foundModel().right.faceIndexStart);
        QTest::mouseClick(dialog.applyButton(), Qt::LeftButton);
        QCOMPARE(s.window.text(field::kFaceIndexStart), hexText(chosen.settings.faceIndexStart));
        QCOMPARE(s.window.text(field::kVertsCnt), std::to_string(chosen.settings.vertsCnt));
        // A user's typing in between is replaced by the double-clicked row.
        s.window.setText(field::kFaceIndexStart, "123");
        const QRect cell = dialog.table()->visualRect(dialog.table()->model()->index(0, 1));
        // A user's double-click is a press and release, then the double-click event.
        QTest::mouseClick(dialog.table()->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(dialog.table()->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(s.window.text(field::kFaceIndexStart), hexText(chosen.settings.faceIndexStart));
        QCOMPARE(s.window.text(field::kVertexStart), hexText(chosen.settings.vertexStart));
        // go1 reads what Apply typed without a complaint.
        QTest::mouseClick(s.window.control(cmd::kGo1), Qt::LeftButton);
        QVERIFY(answerer.takeRecords().empty());
    }

    void previewWritesTheMeshAndShowsIt() {
        ModalAnswerer answerer;
        QtSession s(appDir_.string());
        QVERIFY(s.show());
        open(s, "found.bin");
        LayoutFinderDialog dialog(s.ctx, {}, &s.window);
        QVERIFY(scanned(dialog));
        dialog.table()->selectRow(0);
        QVERIFY(dialog.selectedCandidate());
        const std::uint64_t triangles = dialog.selectedCandidate()->triangles;
        const std::uint32_t vertexCount = dialog.selectedCandidate()->settings.vertsCnt;
        std::filesystem::remove("test.obj");
        QTest::mouseClick(dialog.previewButton(), Qt::LeftButton);
        QCOMPARE(s.launcher.launches, std::vector<std::string>{(appDir_ / "mesh_viewer").string() + " test.obj"});
        // The candidate's vertices and triangles.
        std::ifstream obj("test.obj");
        int vertices = 0, faces = 0;
        for (std::string line; std::getline(obj, line);) {
            vertices += line.rfind("v ", 0) == 0;
            faces += line.rfind("f ", 0) == 0;
        }
        QCOMPARE(static_cast<std::uint32_t>(vertices), vertexCount);
        QCOMPARE(static_cast<std::uint64_t>(faces), triangles);
    }

    void saveAllNamesTheFilesItWrote() {
        ModalAnswerer answerer;
        QtSession s(appDir_.string());
        QVERIFY(s.show());
        open(s, "two.bin");
        LayoutFinderDialog dialog(s.ctx, {}, &s.window);
        QVERIFY(scanned(dialog));
        QVERIFY(dialog.saveAllButton()->isEnabled());
        QTest::mouseClick(dialog.saveAllButton(), Qt::LeftButton);
        const auto records = answerer.takeRecords();
        QCOMPARE(records.size(), std::size_t{1});
        // Every file the message names was written; a block it could not save comes with a reason.
        QVERIFY2(records[0].find("two_0.vyp") != std::string::npos, records[0].c_str());
        QVERIFY(std::filesystem::exists(file("two_0.vyp")));
        if (records[0].find("Not saved:") != std::string::npos)
            QVERIFY(records[0].find(": ", records[0].find("Not saved:")) != std::string::npos);
    }

    void cancelStopsTheScanMidway() {
        ModalAnswerer answerer;
        QtSession s(appDir_.string(), {}, 8 << 20);
        QVERIFY(s.show());
        open(s, "big.bin");
        // The scan waits at its first progress report until Cancel has been clicked.
        std::atomic<bool> reached{false};
        std::atomic<bool> clicked{false};
        FindOptions options;
        options.progress = [&](double) {
            reached = true;
            while (!clicked) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        };
        LayoutFinderDialog dialog(s.ctx, {}, &s.window, options);
        dialog.startScan();
        QVERIFY(QTest::qWaitFor([&] { return reached.load(); }, 30000));
        QVERIFY(dialog.isScanning());
        QVERIFY(dialog.cancelButton()->isEnabled());
        QVERIFY(!dialog.saveAllButton()->isEnabled());
        // The window stays responsive while the scan runs.
        QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
        QVERIFY(!dialog.cancelButton()->isEnabled());
        clicked = true;
        QVERIFY(QTest::qWaitFor([&] { return !dialog.isScanning(); }, 30000));
        QVERIFY2(dialog.status()->text().startsWith(QStringLiteral("Scan cancelled")), qPrintable(dialog.status()->text()));
        QVERIFY(dialog.progressBar()->value() < 1000);
    }

    void noCandidateSaysWhatToTry() {
        ModalAnswerer answerer;
        QtSession s(appDir_.string());
        QVERIFY(s.show());
        // Files no finder can take a mesh from: zeros and plain text.
        for (const char* name : {"zeros.bin", "text.bin"}) {
            open(s, name);
            QVERIFY2(s.model.size() > 0, name);
            LayoutFinderDialog dialog(s.ctx, {}, &s.window);
            QVERIFY(scanned(dialog));
            QCOMPARE(dialog.table()->model()->rowCount(), 0);
            QCOMPARE(dialog.status()->text().toStdString(), std::string(kNoLayoutFound));
            QVERIFY(!dialog.applyButton()->isEnabled());
            QVERIFY(!dialog.saveAllButton()->isEnabled());
        }
    }

    void numericColumnsSortByValue() {
        ModalAnswerer answerer;
        QtSession s(appDir_.string());
        QVERIFY(s.show());
        open(s, "two.bin");
        LayoutFinderDialog dialog(s.ctx, {}, &s.window);
        QVERIFY(scanned(dialog));
        QAbstractItemModel* model = dialog.table()->model();
        QVERIFY(model->rowCount() >= 2);
        const auto columns = candidateColumns();
        for (int column = 0; column < static_cast<int>(columns.size()); ++column) {
            if (!columns[static_cast<std::size_t>(column)].numeric) continue;
            dialog.table()->sortByColumn(column, Qt::DescendingOrder);
            for (int row = 1; row < model->rowCount(); ++row) {
                const QString above = model->index(row - 1, column).data().toString();
                const QString below = model->index(row, column).data().toString();
                // Hex cells compare by their number; "0x10" sorts above "0x9".
                QVERIFY2(above.toDouble(nullptr) >= below.toDouble(nullptr) || above.startsWith("0x"),
                         qPrintable(above + " " + below));
                if (above.startsWith("0x"))
                    QVERIFY(above.mid(2).toULongLong(nullptr, 16) >= below.mid(2).toULongLong(nullptr, 16));
            }
        }
    }

    void screenshotsOfWindowAndDialog() {
        ModalAnswerer answerer;
        QtSession s(appDir_.string());
        QVERIFY(s.show());
        open(s, "found.bin");
        QTest::qWait(50);
        const QImage window = s.window.grab().toImage();
        QVERIFY(window.save(QStringLiteral(NIMBREL_TEST_OUTPUT_DIR "/nimbrel_window_full.png")));
        QCOMPARE(window.size(), s.window.size());
        // The right-hand check boxes are drawn inside the window: their indicator is not
        // one flat colour.
        QWidget* quads = s.window.control(cmd::kQuads);
        const QRect box(quads->mapTo(&s.window, QPoint(0, 0)), quads->size());
        QVERIFY(window.rect().contains(box));
        QSet<QRgb> colours;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x) colours.insert(window.pixel(x, y));
        QVERIFY(colours.size() > 2);

        LayoutFinderDialog dialog(s.ctx, {}, &s.window);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(scanned(dialog));
        QTest::qWait(50);
        const QImage shot = dialog.grab().toImage();
        QVERIFY(shot.save(QStringLiteral(NIMBREL_TEST_OUTPUT_DIR "/layout_finder.png")));
        QCOMPARE(shot.size(), dialog.size());
        QRect table(dialog.table()->mapTo(&dialog, QPoint(0, 0)), dialog.table()->size());
        QVERIFY2(darkPixels(shot, table) > 300, "the table shows no text");
        // What the picture shows: the mesh of found.bin in the first row, the bar full.
        QCOMPARE(dialog.table()->model()->index(0, 1).data().toString(),
                 QStringLiteral("0x") + QString::fromStdString(hexText(foundModel().right.faceIndexStart)));
        QCOMPARE(dialog.progressBar()->value(), 1000);
        QCOMPARE(dialog.status()->text(), QStringLiteral("1 layout found. Apply puts the selected one into the fields."));
    }
};

}  // namespace nimbrel::testing

QTEST_MAIN(nimbrel::testing::LayoutFinderDialogTest)
#include "layout_finder_dialog_test.moc"
