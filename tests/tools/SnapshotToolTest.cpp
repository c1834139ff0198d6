// The real norvel-snapshot binary, driven as outside checkers drive it:
// options, scripts, the tree JSON and its settled presentations, errors.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

struct Result {
    int exitCode = -1;
    std::string stderrText;
};

class SnapshotTool : public ::testing::Test {
protected:
    fs::path dir;

    void SetUp() override {
        // A parameterised case's name holds a '/', which would make the
        // folder a child of one that TearDown never removes.
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '-');
        dir = fs::temp_directory_path() /
              ("norvel-snapshot-test-" + std::to_string(::getpid()) + "-" + name);
        fs::create_directories(dir);
        // An empty bundle: no Info.plist, so the fallback patient.
        fs::create_directories(dir / "bundle");
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path write(const std::string& name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
        return dir / name;
    }

    Result run(const std::string& args, const std::string& env = "TZ=UTC") {
        fs::path err = dir / "stderr.txt";
        std::string command = "env LANGUAGE= LC_ALL=C.UTF-8 " + env + " " + NORVEL_SNAPSHOT_BIN + " " +
                              args + " 2>" + err.string();
        int status = std::system(command.c_str());
        Result r;
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream in(err);
        std::stringstream s;
        s << in.rdbuf();
        r.stderrText = s.str();
        return r;
    }

    json tree(const std::string& args, const std::string& env = "TZ=UTC") {
        fs::path out = dir / "tree.json";
        Result r = run("--bundle " + (dir / "bundle").string() + " --tree " + out.string() + " " + args, env);
        EXPECT_EQ(r.exitCode, 0) << r.stderrText;
        std::ifstream in(out);
        return json::parse(in);
    }

    static const json* withText(const json& t, const std::string& text) {
        for (const auto& v : t["views"]) {
            if (v.contains("text") && v["text"] == text) return &v;
        }
        return nullptr;
    }

    static std::string centre(const json& v) {
        auto f = v["frame"];
        std::ostringstream s;
        s << f[0].get<double>() + f[2].get<double>() / 2 << " " << f[1].get<double>() + f[3].get<double>() / 2;
        return s.str();
    }
};

TEST_F(SnapshotTool, WithoutOutputsItRendersOnceAndSucceeds) {
    Result r = run("--bundle " + (dir / "bundle").string());
    EXPECT_EQ(r.exitCode, 0) << r.stderrText;
    EXPECT_TRUE(r.stderrText.empty());
}

TEST_F(SnapshotTool, TheTreeDescribesTheFallbackDashboard) {
    json t = tree("--now 2026-12-08T12:00:00");
    EXPECT_EQ(t["size"], json::array({390, 844}));
    EXPECT_EQ(t["scale"], 3);
    EXPECT_EQ(t["presentations"]["alert"], false);
    EXPECT_EQ(t["presentations"]["sheet"], false);
    ASSERT_NE(withText(t, "Demo chart for Patient: John Doe"), nullptr);
    EXPECT_NE(withText(t, "25"), nullptr);
    EXPECT_NE(withText(t, "1/1/2001"), nullptr);
    const json* button = nullptr;
    for (const auto& v : t["views"]) {
        if (v["kind"] == "Button") button = &v;
    }
    ASSERT_NE(button, nullptr);
    EXPECT_EQ((*button)["accessibilityHint"], "Links to bundled imaging asset norvel_chest_xray.jpg");
    for (std::size_t i = 0; i < t["views"].size(); ++i) {
        EXPECT_LT(t["views"][i]["parent"].get<int>(), static_cast<int>(i));
    }
}

TEST_F(SnapshotTool, ThePatientComesFromTheBundlesInfoDictionary) {
    // {"patientName":"Ada Lovelace","dateOfBirth":"1990-12-09","clinic":"North"}
    const std::string encoded =
        "eyJwYXRpZW50TmFtZSI6IkFkYSBMb3ZlbGFjZSIsImRhdGVPZkJpcnRoIjoiMTk5MC0xMi0wOSIsImNsaW5pYyI6Ik5vcnRoIn0=";
    write("bundle/Info.plist",
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
          "<key>NorvelPatientBootstrap</key><string>" + encoded + "</string></dict></plist>\n");
    // The day before the birthday, then local midnight on it, in a zone
    // other than UTC.
    json before = tree("--now 2026-12-08T23:59:59", "TZ=America/New_York");
    EXPECT_NE(withText(before, "Demo chart for Patient: Ada Lovelace"), nullptr);
    EXPECT_NE(withText(before, "North"), nullptr);
    EXPECT_NE(withText(before, "35"), nullptr);
    EXPECT_NE(withText(before, "12/9/1990"), nullptr);
    json on = tree("--now 2026-12-09T00:00:00", "TZ=America/New_York");
    EXPECT_NE(withText(on, "36"), nullptr);
}

TEST_F(SnapshotTool, ALongPressOnTheBadgeOpensTheSettledSheet) {
    json t0 = tree("");
    const json* badge = nullptr;
    for (const auto& v : t0["views"]) {
        if (v["kind"] == "RoundedRectangle" && v["frame"][2] == 48 && v["frame"][3] == 48) badge = &v;
    }
    ASSERT_NE(badge, nullptr);
    auto script = write("press.txt", "press " + centre(*badge) + "\nwait 1200\nrelease\n");
    json t = tree("--script " + script.string());
    EXPECT_EQ(t["presentations"]["sheet"], true);
    EXPECT_EQ(t["presentations"]["alert"], false);
    const json* realm = withText(t, "patient-summary-cache-v2");
    ASSERT_NE(realm, nullptr);
    EXPECT_EQ((*realm)["selectable"], true);
    // Settled: the sheet has finished sliding up to 10 below the top.
    const json* heading = withText(t, "Norvel Diagnostics");
    ASSERT_NE(heading, nullptr);
    EXPECT_LT((*heading)["frame"][1].get<double>(), 120);

    auto shortPress = write("short.txt", "press " + centre(*badge) + "\nwait 1190\nrelease\nwait 2000\n");
    EXPECT_EQ(tree("--script " + shortPress.string())["presentations"]["sheet"], false);
}

TEST_F(SnapshotTool, ClickToOpenShowsTheMessageAndReturnClosesIt) {
    json scrolled = tree("--script " + write("end.txt", "key end\n").string());
    const json* label = withText(scrolled, "Click to Open");
    ASSERT_NE(label, nullptr);
    auto open = write("open.txt", "key end\ntap " + centre(*label) + "\n");
    json t = tree("--script " + open.string());
    EXPECT_EQ(t["presentations"]["alert"], true);
    EXPECT_NE(withText(t, "Imaging File"), nullptr);
    EXPECT_NE(withText(t, "Linked study asset: norvel_chest_xray.jpg"), nullptr);
    auto close = write("close.txt", "key end\ntap " + centre(*label) + "\nkey return\n");
    json closed = tree("--script " + close.string());
    EXPECT_EQ(closed["presentations"]["alert"], false);
    EXPECT_EQ(withText(closed, "Imaging File"), nullptr) << "the closing animation has settled";
}

TEST_F(SnapshotTool, TabFocusesClickToOpenWithItsRingInSightAndTheTreeSaysSo) {
    json t = tree("--script " + write("tab.txt", "key tab\n").string());
    std::vector<json> focused;
    for (const auto& v : t["views"]) {
        if (v.contains("focused")) focused.push_back(v);
    }
    ASSERT_EQ(focused.size(), 1u);
    EXPECT_EQ(focused[0]["focused"], true);
    EXPECT_EQ(focused[0]["kind"], "Button");
    EXPECT_EQ(focused[0]["accessibilityLabel"], "Click to Open");
    EXPECT_LE(focused[0]["frame"][1].get<double>() + focused[0]["frame"][3].get<double>(), 844 - 3)
        << "scrolled into sight with its ring";
}

TEST_F(SnapshotTool, TextsFollowTheLanguageAndKeysShowAsWrittenWithoutACatalogue) {
    json german = tree("", "TZ=UTC LANGUAGE=de");
    EXPECT_NE(withText(german, "Demo-Akte für Patient: John Doe"), nullptr);
    EXPECT_NE(withText(german, "Zum Öffnen klicken"), nullptr);
    // Record texts are never looked up.
    EXPECT_NE(withText(german, "Blood Presssure"), nullptr);
    EXPECT_NE(withText(german, "Today"), nullptr);
    json french = tree("", "TZ=UTC LANGUAGE=fr");
    EXPECT_NE(withText(french, "Demo chart for Patient: John Doe"), nullptr);
    EXPECT_NE(withText(french, "Click to Open"), nullptr);
}

TEST_F(SnapshotTool, WritesAPngOfThePixelSize) {
    fs::path png = dir / "out.png";
    Result r = run("--bundle " + (dir / "bundle").string() + " --scale 1 --size 200x300 --png " + png.string());
    ASSERT_EQ(r.exitCode, 0) << r.stderrText;
    std::ifstream in(png, std::ios::binary);
    std::array<unsigned char, 24> header{};
    in.read(reinterpret_cast<char*>(header.data()), header.size());
    EXPECT_EQ(header[1], 'P');
    EXPECT_EQ(header[2], 'N');
    auto be32 = [&](int at) { return (header[at] << 24) | (header[at + 1] << 16) | (header[at + 2] << 8) | header[at + 3]; };
    EXPECT_EQ(be32(16), 200);
    EXPECT_EQ(be32(20), 300);
}

struct ErrorCase {
    const char* name;
    const char* args;
    const char* script;  // written to s.txt when not empty
    const char* mentions;
};

class SnapshotToolErrors : public SnapshotTool, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(SnapshotToolErrors, ExitTwoNamingTheCulprit) {
    auto c = GetParam();
    std::string args = c.args;
    if (*c.script) args += " --script " + write("s.txt", c.script).string();
    Result r = run(args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.stderrText.find(c.mentions), std::string::npos) << r.stderrText;
    EXPECT_EQ(std::count(r.stderrText.begin(), r.stderrText.end(), '\n'), 1) << r.stderrText;
}

INSTANTIATE_TEST_SUITE_P(
    SnapshotTool, SnapshotToolErrors,
    ::testing::Values(ErrorCase{"unknownOption", "--frobnicate 1", "", "--frobnicate"},
                      ErrorCase{"badNow", "--now tomorrow", "", "--now"},
                      ErrorCase{"badScriptLine", "", "tap 1 2\nwait 10\nwiggle\n", "line 3"},
                      ErrorCase{"missingScript", "--script /nonexistent/script.txt", "", "--script"},
                      ErrorCase{"unwritablePng", "--png /nonexistent/dir/out.png", "", "--png"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
