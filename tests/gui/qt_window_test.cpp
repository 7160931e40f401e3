#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QProcess>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/commands.h"
#include "app/context.h"
#include "app/control_table.h"
#include "app/script_runner.h"
#include "app/window_setup.h"
#include "core/model_buffer.h"
#include "core/workspace.h"
#include "gui/command_channel.h"
#include "gui/qt_window.h"
#include "modal_answerer.h"
#include "qt_session.h"
#include "window_driver.h"

namespace nimbrel::testing {

namespace {

void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

class QtWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir scratch_;
    std::filesystem::path appDir_;
    std::filesystem::path startDir_;

    std::filesystem::path file(const std::string& name) const { return std::filesystem::path(scratch_.path().toStdString()) / name; }

private slots:
    void initTestCase() {
        QVERIFY(scratch_.isValid());
        startDir_ = std::filesystem::current_path();
        // wordpad and notepad present, the viewer missing: the start-up shows one message.
        appDir_ = file("app");
        std::filesystem::create_directories(appDir_);
        for (const char* tool : {"wordpad", "notepad"}) {
            writeBytes(appDir_ / tool, "#!/bin/sh\n");
            std::filesystem::permissions(appDir_ / tool, std::filesystem::perms::owner_all);
        }
        // Two triangles over four vertices: 16-bit indices 0 1 2 2 1 3, then 4 float vertices.
        std::string model("\x00\x00\x01\x00\x02\x00\x02\x00\x01\x00\x03\x00", 12);
        const float vertices[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};
        model.append(reinterpret_cast<const char*>(vertices), sizeof vertices);
        writeBytes(file("quad.bin"), model);
        writeBytes(file("empty.bin"), "");
        writeBytes(file("set.vyp"), "0\n");
    }

    void cleanup() { std::filesystem::current_path(startDir_); }

    void controlsSitWhereTheBaseUnitsPutThem() {
        ModalAnswerer answerer;
        QtSession s(appDir_.string(), BaseUnits{8, 16, 17});
        QtWindow& w = s.window;
        QCOMPARE(w.control(field::kInfoList)->geometry(), QRect(8, 16, 289, 128));
        QCOMPARE(w.control(field::kResultsList)->geometry(), QRect(8, 136, 289, 160));
        QCOMPARE(w.control(cmd::kCF)->geometry(), QRect(396, 246, 24, 20));
        QCOMPARE(w.control(cmd::kQuads)->x(), 644);
        QCOMPARE(w.control(cmd::kTableTest)->x(), 644);
        QCOMPARE(w.control(field::kFaceIndexStart)->geometry(), QRect(308, 60, 80, 16));
        QCOMPARE(w.label(Label::firstByteLabel)->geometry(), QRect(488, 249, 32, 16));
        QCOMPARE(w.label(Label::overwriteLabel)->geometry(), QRect(298, 287, 240, 18));
        // The combobox keeps its own height; its formula's 8 rows are the dropped list.
        QCOMPARE(w.control(cmd::kFormatCombo)->pos(), QPoint(478, 185));
        QCOMPARE(w.control(cmd::kFormatCombo)->width(), 72);

        // Created in the table's order: the controls are the client's children in that order.
        QWidget* client = w.control(field::kInfoList)->parentWidget();
        QList<QWidget*> children = client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        auto table = controlTable();
        QCOMPARE(children.size(), static_cast<qsizetype>(table.size()));
        for (std::size_t i = 0; i < table.size(); ++i) {
            QWidget* expected = table[i].label ? w.label(*table[i].label) : w.control(table[i].id);
            QCOMPARE(children[static_cast<qsizetype>(i)], expected);
        }

        // Resizing moves nothing.
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // It opens holding every control: the check boxes at x 644 + 16, then a margin of one
        // base unit; the overwrite warning ends lowest, at 287 + 18, then 16 more.
        QCOMPARE(client->size(), QSize(668, 321));
        const QRect clientInWindow(client->mapTo(&w, QPoint(0, 0)), client->size());
        QVERIFY(w.rect().contains(clientInWindow));
        for (QWidget* child : children) {
            if (child->width() == 0) continue;  // the focus holder
            QVERIFY2(client->rect().contains(child->geometry()), qPrintable(child->metaObject()->className()));
        }
        w.resize(900, 500);
        QTest::qWait(20);
        QCOMPARE(w.control(cmd::kCF)->geometry(), QRect(396, 246, 24, 20));
        QCOMPARE(w.windowTitle(), QStringLiteral("- Nimbrel"));
        QVERIFY(!w.windowIcon().isNull());
    }

    void startsWithMenuComboAndFocusAsTheTableSays() {
        ModalAnswerer answerer;
        QtSession s(appDir_.string());
        QtWindow& w = s.window;
        QCOMPARE(answerer.takeRecords(), std::vector<std::string>{"message: mesh_viewer not found!\\n\\nobjs can't be displayed."});
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        // No edit field holds the keyboard focus at start.
        QVERIFY(!qobject_cast<QLineEdit*>(QApplication::focusWidget()));
        QVERIFY(QApplication::focusWidget() != nullptr);

        QStringList menus;
        for (QAction* a : w.menuBar()->actions()) menus << a->text();
        QCOMPARE(menus, (QStringList{"&File", "&Misc", "&Help"}));
        QCOMPARE(w.menuAction(cmd::kChainExport)->text(), QStringLiteral("SaveAs &Mmesh"));
        QVERIFY(!w.menuAction(cmd::kSaveParameterFile)->isEnabled());
        QVERIFY(w.menuAction(cmd::kOpenParameterFile)->isEnabled());
        QCOMPARE(w.menuAction(cmd::kExit)->text(), QStringLiteral("E&xit"));

        auto* combo = qobject_cast<QComboBox*>(w.control(cmd::kFormatCombo));
        QVERIFY(combo->isEditable());
        QCOMPARE(combo->count(), 5);
        QCOMPARE(combo->itemText(4), QStringLiteral("ShortAll"));
        QCOMPARE(combo->currentIndex(), -1);
        QCOMPARE(combo->currentText(), QStringLiteral("Float"));

        // The program's own selection sends nothing; only a user's choice does.
        std::vector<std::uint32_t> words;
        w.setCommandHandler([&words](std::uint32_t word) { words.push_back(word); });
        w.selectItem(cmd::kFormatCombo, 2);
        QVERIFY(words.empty());
        QCOMPARE(w.text(cmd::kFormatCombo), std::string("HF_all"));
        QTest::keyClicks(combo->lineEdit(), "x");
        QVERIFY(words.empty());
        // Choosing the item already shown is still a choice.
        WindowDriver driver(w, answerer);
        QVERIFY(driver.run("select 8 2\nselect 8 2\nselect 8 0\n"));
        const std::uint32_t chosen = cmd::kFormatCombo | std::uint32_t{cmd::kSelectionChanged} << 16;
        QCOMPARE(words, (std::vector<std::uint32_t>{chosen, chosen, chosen}));
        QCOMPARE(w.selectedItem(cmd::kFormatCombo), 0);
    }

    void scriptGivesTheSameResultsAsTheHeadlessWindow() {
        const std::string model = file("quad.bin").string();
        std::ostringstream script;
        script << "echo start\nprint 1\nprint 29\nprint 8\n"
                  "click 9\nclick 12\nclick 12\nprint 12\nclick 14\nclick 21\nclick 21\nprint 21\nstate 3\nclick 21\n"
                  "click 34\nclick 36\nstate 36\nclick 18\nstate 36\nprint 18\nclick 18\nclick 35\nprint 24\n"
                  "select 8 3\nstate 22\nselect 8 0\nstate 22\nprint 8\n"
                  "answer\nclick 9070\nclick 9070\nstate 9073\n"
                  "open "
               << file("set.vyp").string() << "\nopen " << file("empty.bin").string() << "\nopen "
               << file("missing.bin").string() << "\nopen " << model
               << "\nprint firstByteLabel\nstate 9\nstate 16\nstate 9073\n"
                  "set 2 0\nset 3 6\nset 32 0\nclick 9\nset 7 4\nclick 10\nclick 13\nprint step2Label1\nstate 5\n"
                  "click 9068\nprint 1\nclick 9069\nclick 23\nsend 23\nprint 29\n";
        for (int id : {2, 3, 4, 5, 6, 7, 30, 31, 32, 33, 9, 10, 11, 13, 15, 16, 17, 20, 22, 24, 25, 34, 35, 36, 37, 38})
            script << "state " << id << "\nprint " << id << '\n';

        std::ostringstream headless;
        std::ostringstream errors;
        {
            ModelBuffer headlessModel(1 << 16);
            std::istringstream in(script.str());
            QCOMPARE(runScript(in, headless, errors, headlessModel, appDir_.string(), false), 0);
        }
        std::filesystem::current_path(startDir_);

        ModalAnswerer answerer;
        QtSession s(appDir_.string());
        QVERIFY(s.show());
        WindowDriver driver(s.window, answerer);
        driver.collectRecords();
        QVERIFY(driver.run(script.str()));
        std::ofstream(NIMBREL_TEST_OUTPUT_DIR "/parity_qt.out") << driver.output();
        std::ofstream(NIMBREL_TEST_OUTPUT_DIR "/parity_headless.out") << headless.str();
        std::istringstream qtLines(driver.output()), headlessLines(headless.str());
        std::string qtLine, headlessLine;
        for (int number = 1; std::getline(headlessLines, headlessLine); ++number) {
            QVERIFY2(std::getline(qtLines, qtLine), qPrintable(QStringLiteral("window output ends before line %1").arg(number)));
            QVERIFY2(qtLine == headlessLine, qPrintable(QStringLiteral("line %1: window \"%2\", headless \"%3\"")
                                                            .arg(number).arg(qtLine.c_str(), headlessLine.c_str())));
        }
        QVERIFY(!std::getline(qtLines, qtLine));
        QCOMPARE(answerer.lastDialogTitle, QStringLiteral(" load a model file"));
        QVERIFY(answerer.lastDialogNeededExistingFile);
        QCOMPARE(answerer.lastDialogFilters, QStringList{"All Files (*)"});
        // The dialog's answer moved the current directory to the model's folder.
        QCOMPARE(std::filesystem::current_path(), std::filesystem::path(model).parent_path());
    }

    void screenshotAfterGo1ShowsText() {
        ModalAnswerer answerer;
        QtSession s(appDir_.string());
        QtWindow& w = s.window;
        QVERIFY(s.show());
        w.queueAnswer(file("quad.bin").string());
        w.sendCommand(cmd::kOpen);
        w.setText(field::kFaceIndexCnt, "6");
        QTest::mouseClick(w.control(cmd::kGo1), Qt::LeftButton);
        // Faces 1 2 3 and 3 2 4 of the generated model.
        const auto& lines = w.lines(field::kResultsList);
        QVERIFY(lines.size() >= 2);
        QCOMPARE(lines[lines.size() - 2], std::string("min face index: 1"));
        QCOMPARE(lines.back(), std::string("max face index: 4 (== vertex count?)"));
        QTest::qWait(50);
        QImage shot = w.grab().toImage();
        const QString out = QStringLiteral(NIMBREL_TEST_OUTPUT_DIR "/nimbrel_window.png");
        QVERIFY(shot.save(out));
        QCOMPARE(QImage(out).size(), w.size());
        // Text in the results list: many pixels far darker than its white background.
        QRect list = w.control(field::kResultsList)->geometry();
        list.translate(w.control(field::kResultsList)->parentWidget()->mapTo(&w, QPoint(0, 0)));
        int dark = 0;
        for (int y = list.top() + 3; y < list.bottom() - 3; ++y)
            for (int x = list.left() + 3; x < list.right() - 3; ++x)
                if (qGray(shot.pixel(x, y)) < 100) ++dark;
        QVERIFY2(dark > 200, qPrintable(QStringLiteral("dark pixels: %1").arg(dark)));
    }

    void millionLinesReachTheViewInOneBatch() {
        ModalAnswerer answerer;
        QtSession s(appDir_.string());
        QtWindow& w = s.window;
        QVERIFY(s.show());
        QListView* view = w.listView(field::kResultsList);
        QSignalSpy inserted(view->model(), &QAbstractItemModel::rowsInserted);
        w.setCommandHandler([&w](std::uint32_t) {
            w.clearResults();
            for (int i = 0; i < 1000000; ++i) w.addResult(std::to_string(i) + (i == 999999 ? " the long last line of the listing" : ""));
        });
        QTest::mouseClick(w.control(cmd::kByteOrder), Qt::LeftButton);
        QCOMPARE(view->model()->rowCount(), 1000000);
        QCOMPARE(inserted.count(), 1);
        view->scrollToBottom();
        QTest::qWait(20);
        QRect last = view->visualRect(view->model()->index(999999, 0));
        QVERIFY(!last.isEmpty());
        QVERIFY(view->viewport()->rect().contains(last.topLeft()));
        QVERIFY(view->viewport()->rect().contains(last.bottomLeft()));
        QCOMPARE(view->model()->index(999999, 0).data().toString(), QStringLiteral("999999 the long last line of the listing"));
        // The longest line decides the scroll width, though it came last.
        QVERIFY(view->horizontalScrollBar()->maximum() > 0);
    }

    void exitAndCloseButtonReleaseTheStripStorage() {
        for (bool viaMenu : {true, false}) {
            ModalAnswerer answerer;
            QtSession s(appDir_.string());
            QVERIFY(s.show());
            s.ws.stripScratch.indices.reset(new unsigned short[6], boost::checked_array_deleter<unsigned short>());
            s.ws.stripScratch.stripIndexCount = 6;
            if (viaMenu) {
                s.window.menuAction(cmd::kExit)->trigger();
            } else {
                // Closed while a command runs, the window goes once the command is done.
                bool stillOpen = false;
                s.window.setCommandHandler([&](std::uint32_t) {
                    s.window.close();
                    stillOpen = s.window.isVisible() && s.closes == 0;
                });
                s.window.deliverCommand(cmd::kFIri);
                QVERIFY(stillOpen);
            }
            QTRY_VERIFY(!s.window.isVisible());
            QCOMPARE(s.closes, 1);
            QVERIFY(!s.ws.stripScratch.indices);
            QCOMPARE(s.ws.stripScratch.stripIndexCount, 0u);
        }
    }

    void sendReachesTheRunningWindowAndFailsWithoutOne() {
        const QString program = QStringLiteral(NIMBREL_BIN_DIR "/nimbrel");
        QProcess lonely;
        lonely.start(program, {"--send", "9999"});
        QVERIFY(lonely.waitForFinished(10000));
        QCOMPARE(lonely.exitCode(), 1);
        QVERIFY(lonely.readAllStandardError().contains("no Nimbrel window is running"));

        ModalAnswerer answerer;
        QtSession s(appDir_.string());
        CommandServer server([&s](std::uint32_t word) { s.window.deliverCommand(word); });
        std::string error;
        QVERIFY2(server.listen(error), error.c_str());
        QProcess sender;
        sender.start(program, {"--send", "9068"});
        QTRY_COMPARE(sender.state(), QProcess::NotRunning);
        QCOMPARE(sender.exitCode(), 0);
        QTRY_COMPARE(s.window.lines(field::kInfoList).back(), std::string("0"));

        // A second window of the same user does not take the socket from the first.
        CommandServer second([](std::uint32_t) {});
        QVERIFY(!second.listen(error));

        // A command from outside waits for the running one instead of cutting into it.
        std::vector<std::string> order;
        s.window.setCommandHandler([&](std::uint32_t word) {
            order.push_back("start " + std::to_string(word));
            if (word == 1) s.window.deliverCommand(2);
            order.push_back("end " + std::to_string(word));
        });
        s.window.deliverCommand(1);
        QTRY_COMPARE(order.size(), std::size_t{4});
        QCOMPARE(order, (std::vector<std::string>{"start 1", "end 1", "start 2", "end 2"}));

        sender.start(program, {"--send", "nine"});
        QVERIFY(sender.waitForFinished(10000));
        QCOMPARE(sender.exitCode(), 2);
    }
};

}  // namespace nimbrel::testing

QTEST_MAIN(nimbrel::testing::QtWindowTest)
#include "qt_window_test.moc"
