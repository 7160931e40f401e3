#include "viewer_process.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace nimbrel::testing {
namespace {

// Background and surface colours of the renderer, as 8-bit values: 0.16 0.18 0.22 and
// 0.85 0.78 0.62 times 255.
const QColor kBackground(41, 46, 56);
constexpr double kSurface[3] = {216.75, 198.9, 158.1};

// The surface under the eye light: base colour × (0.2 + 0.8 × facing), where facing is the
// face normal's component along the view axis.
QColor litSurface(double facing) {
    const double light = 0.2 + 0.8 * facing;
    return QColor(qRound(kSurface[0] * light), qRound(kSurface[1] * light), qRound(kSurface[2] * light));
}

bool near(QColor a, QColor b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

class Render : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = makeTestFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        ::setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    QImage snapshot(const std::string& obj, ViewerRun& run, const std::string& size = "800x600") {
        writeFile(folder_ / "m.obj", obj);
        const auto png = folder_ / "m.png";
        run = runViewer({"--snapshot", png.string(), "--size", size, (folder_ / "m.obj").string()});
        return QImage(QString::fromStdString(png.string()));
    }

    std::filesystem::path folder_;
};

// A unit cube around the origin, six quads.
const char* const kCube =
    "v -0.5 -0.5 -0.5\nv 0.5 -0.5 -0.5\nv 0.5 0.5 -0.5\nv -0.5 0.5 -0.5\n"
    "v -0.5 -0.5 0.5\nv 0.5 -0.5 0.5\nv 0.5 0.5 0.5\nv -0.5 0.5 0.5\n"
    "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 4 8 7 3\nf 1 5 8 4\nf 2 3 7 6\n";

TEST_F(Render, CubeFromTheDefaultDirectionShowsThreeLitFaces) {
    ViewerRun run;
    const QImage image = snapshot(kCube, run);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_EQ(image.size(), QSize(800, 600));
    EXPECT_NE(run.out.find("8 vertices, 6 faces, 0 skipped, box (-0.5 -0.5 -0.5) to (0.5 0.5 0.5)"),
              std::string::npos) << run.out;

    // The fit puts the bounding sphere (radius 0.866) inside the 40° view with 5% to spare:
    // its image is a circle of tan(asin(sin 20° / 1.05)) / tan 20° × 300 = 284 pixels
    // around the centre. Everything past it is background.
    for (QPoint p : {QPoint(2, 2), QPoint(797, 2), QPoint(2, 597), QPoint(797, 597), QPoint(400, 8),
                     QPoint(400, 592), QPoint(100, 300), QPoint(700, 300)}) {
        SCOPED_TRACE(::testing::Message() << p.x() << "," << p.y());
        EXPECT_TRUE(near(image.pixelColor(p), kBackground, 2)) << image.pixelColor(p).name().toStdString();
    }
    // Seen from front-right-above (yaw −30°, pitch 20°) the eye-space normals' z components
    // are: front cos 30° cos 20° = 0.814, right sin 30° cos 20° = 0.470, top sin 20° = 0.342.
    // The cube's inner sphere (radius 0.5, about 155 pixels) covers the points below; the
    // nearest corner projects up and right of the centre, so the centre row shows the front
    // face left and the right face right, and the column above shows the top.
    struct Probe {
        QPoint at;
        double facing;
    };
    for (const Probe& probe : {Probe{QPoint(340, 330), 0.814}, Probe{QPoint(540, 330), 0.470},
                               Probe{QPoint(400, 150), 0.342}}) {
        SCOPED_TRACE(::testing::Message() << probe.at.x() << "," << probe.at.y());
        EXPECT_TRUE(near(image.pixelColor(probe.at), litSurface(probe.facing), 3))
            << image.pixelColor(probe.at).name().toStdString() << " expected "
            << litSurface(probe.facing).name().toStdString();
    }
}

TEST_F(Render, FlatLayoutIsSeenStraightOn) {
    // Unit square at z = 0 in the form the UV layout takes.
    ViewerRun run;
    const QImage image = snapshot("v  0.000000 0.000000 0\nv  1.000000 0.000000 0\n"
                                  "v  1.000000 1.000000 0\nv  0.000000 1.000000 0\nf 1 2 3 4 \n",
                                  run);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    // Radius √2/2, distance 0.7071 / sin 20° × 1.05 = 2.1708; at that depth the view is
    // 2 × tan 20° × 2.1708 = 1.5802 high over 600 pixels, so the square's half side of 0.5
    // spans 189.8 pixels: x 210..590, y 110..490, lit head-on.
    for (QPoint p : {QPoint(220, 300), QPoint(580, 300), QPoint(400, 120), QPoint(400, 480),
                     QPoint(215, 115), QPoint(585, 485)}) {
        SCOPED_TRACE(::testing::Message() << p.x() << "," << p.y());
        EXPECT_TRUE(near(image.pixelColor(p), litSurface(1.0), 3)) << image.pixelColor(p).name().toStdString();
    }
    for (QPoint p : {QPoint(200, 300), QPoint(600, 300), QPoint(400, 100), QPoint(400, 500),
                     QPoint(205, 105)}) {
        SCOPED_TRACE(::testing::Message() << p.x() << "," << p.y());
        EXPECT_TRUE(near(image.pixelColor(p), kBackground, 2)) << image.pixelColor(p).name().toStdString();
    }
}

TEST_F(Render, FileWithoutFacesIsDrawnAsPoints) {
    ViewerRun run;
    const QImage image = snapshot("v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 1\nbad line\n", run, "200x150");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("4 vertices, 0 faces, 1 skipped (first: line 5)"), std::string::npos) << run.out;
    const QColor point(242, 217, 115);  // 0.95 0.85 0.45
    int pointPixels = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) pointPixels += near(image.pixelColor(x, y), point, 2);
    }
    // Four points of 3 × 3 pixels.
    EXPECT_EQ(pointPixels, 36);
}

TEST_F(Render, RefusesWhatItCannotShow) {
    writeFile(folder_ / "m.obj", kCube);
    const std::string obj = (folder_ / "m.obj").string();

    const ViewerRun offscreen = runViewer({obj}, {"QT_QPA_PLATFORM=offscreen"});
    EXPECT_EQ(offscreen.exitCode, 2);
    EXPECT_NE(offscreen.err.find("'offscreen' Qt platform has no OpenGL"), std::string::npos) << offscreen.err;

    const ViewerRun noDisplay = runViewer({obj}, {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"});
    EXPECT_EQ(noDisplay.exitCode, 2);
    EXPECT_NE(noDisplay.err.find("no display"), std::string::npos) << noDisplay.err;

    const ViewerRun missing = runViewer({"--snapshot", (folder_ / "x.png").string(), (folder_ / "none.obj").string()});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("cannot open " + (folder_ / "none.obj").string()), std::string::npos) << missing.err;
    EXPECT_FALSE(std::filesystem::exists(folder_ / "x.png"));

    const ViewerRun unwritable = runViewer({"--snapshot", (folder_ / "no/such/dir.png").string(), obj});
    EXPECT_EQ(unwritable.exitCode, 2);
    EXPECT_NE(unwritable.err.find("cannot write"), std::string::npos) << unwritable.err;
}

} // namespace
} // namespace nimbrel::testing
