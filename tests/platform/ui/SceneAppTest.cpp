// A real UI application with scenes, started as its own process and driven
// by the names that automation gives its footer items and back button.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QImage>
#include <QProcess>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/app/EventLoop.h"
#include "platform/ui/Frame.h"
#include "platform/ui/UiAutomationClient.h"
#include "platform/ui/UiAutomationProtocol.h"
#include "platform/ui/UiEnvironment.h"

using namespace Vx;
using Vx::Ui::Automation::ControlInfo;
using Vx::Ui::Automation::UiAutomationClient;
namespace fs = std::filesystem;

namespace {

constexpr const char* kAppId = "com.vexmora.test.sceneapp";

class SceneAppTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Ui::EnsureUiApplication());
        char pattern[] = "/tmp/scene-app-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        home_ = pattern;
        setenv("IAP_PLATFORM_HOME", home_.c_str(), 1);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("IAP_PLATFORM_HOME", QString::fromStdString(home_));
        env.insert(Ui::Automation::kEnableEnv, "1");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("VX_TEST_STATE_FILE", QString::fromStdString(home_ + "/state"));
        app_.setProcessEnvironment(env);
        app_.setProcessChannelMode(QProcess::ForwardedChannels);
        fs::path program = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin" / "vx_test_sceneapp";
        app_.start(QString::fromStdString(program.string()), {});
        ASSERT_TRUE(app_.waitForStarted(10000)) << program;
        ASSERT_EQ(client_.Connect(kAppId, 20000), E_SUCCESS) << client_.GetLastError();
    }
    void TearDown() override {
        client_.Disconnect();
        if (app_.state() != QProcess::NotRunning) {
            app_.kill();
            app_.waitForFinished(5000);
        }
        std::error_code ignored;
        fs::remove_all(home_, ignored);
    }
    // The current scene once `name` shows, with the controls then listed.
    std::string SceneWith(const std::string& name, std::vector<ControlInfo>& controls) {
        EXPECT_EQ(client_.Wait(name, 10000), E_SUCCESS) << client_.GetLastError();
        std::string scene;
        EXPECT_EQ(client_.List(controls, nullptr, &scene), E_SUCCESS) << client_.GetLastError();
        return scene;
    }
    static std::string Text(const std::vector<ControlInfo>& controls, const std::string& name) {
        const ControlInfo* c = UiAutomationClient::Find(controls, name);
        return c ? c->text : "<missing>";
    }

    std::string StateAtEnd() const {
        std::ifstream in(home_ + "/state");
        std::string state;
        std::getline(in, state);
        return state;
    }

    std::string home_;
    QProcess app_;
    UiAutomationClient client_;
};

TEST_F(SceneAppTest, FooterAndBackButtonMoveBetweenScenesUntilTheAppEnds) {
    std::vector<ControlInfo> controls;
    ASSERT_EQ(SceneWith("first", controls), "first");
    EXPECT_EQ(Text(controls, "header"), "FIRST");
    EXPECT_EQ(Text(controls, "footerItem0"), "Next");
    EXPECT_EQ(Text(controls, "appState"), "initializing");  // the start scene opens before the loop runs
    ASSERT_NE(UiAutomationClient::Find(controls, "back"), nullptr);

    ASSERT_EQ(client_.Press("footerItem0"), E_SUCCESS) << client_.GetLastError();
    ASSERT_EQ(SceneWith("second", controls), "second");
    EXPECT_EQ(Text(controls, "header"), "SECOND");
    EXPECT_EQ(Text(controls, "argument"), "true");
    EXPECT_EQ(Text(controls, "appState"), "running");
    EXPECT_EQ(UiAutomationClient::Find(controls, "first"), nullptr);  // the first form is hidden

    std::string png;
    ASSERT_EQ(client_.Screenshot(png), E_SUCCESS) << client_.GetLastError();
    QImage picture = QImage::fromData(reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()), "PNG");
    EXPECT_EQ(picture.size(), QSize(Ui::Controls::Frame::SCREEN_WIDTH, Ui::Controls::Frame::SCREEN_HEIGHT));

    ASSERT_EQ(client_.Press("back"), E_SUCCESS) << client_.GetLastError();
    ASSERT_EQ(SceneWith("first", controls), "first");

    // No previous scene: the application ends, as a form's back key does on the first scene.
    ASSERT_EQ(client_.Press("back"), E_SUCCESS) << client_.GetLastError();
    ASSERT_TRUE(app_.waitForFinished(10000));
    EXPECT_EQ(app_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app_.exitCode(), 0);
    EXPECT_EQ(StateAtEnd(), "terminating");
}

TEST_F(SceneAppTest, ClosingTheWindowEndsTheApplicationAsTerminating) {
    std::vector<ControlInfo> controls;
    ASSERT_EQ(SceneWith("first", controls), "first");
    // The loop ends because the last window closed, without Terminate.
    ASSERT_EQ(client_.Close(), E_SUCCESS) << client_.GetLastError();
    ASSERT_TRUE(app_.waitForFinished(10000));
    EXPECT_EQ(app_.exitCode(), 0);
    EXPECT_EQ(StateAtEnd(), "terminating");
}

}  // namespace
