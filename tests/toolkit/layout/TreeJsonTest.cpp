#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/toolkit/layout/LayoutTestSupport.hpp"
#include "toolkit/layout/TreeJson.hpp"

namespace ui::testing {
namespace {

using nlohmann::json;

TEST_F(LayoutTest, TreeJsonHasTheDocumentedShape) {
    engine.setScale(3);
    View view =
        VStack(
            {Text::verbatim("Chest X-Ray").font(Font::subheadline.weight(Font::Weight::semibold)),
             Text::verbatim("value").textSelection(true),
             ScrollView(Text::verbatim(std::string(40, 'w'))
                            .font(Font::caption)
                            .lineLimit(1)
                            .minimumScaleFactor(0.5))
                 .frame(Frame::fixed(100, 50)),
             RoundedRectangle(8, CornerStyle::continuous)
                 .stroke(Color::white.opacity(0.25), 1)
                 .frame(10, 10),
             Image("photo").foregroundStyle(Color::pink)})
            .background(LinearGradient{{Color(0.04, 0.11, 0.16), Color(0.12, 0.12, 0.17)}},
                        Edges::all);
    json doc = json::parse(treeJson(layout(view), true, false));

    EXPECT_EQ(doc["size"], json::parse("[390, 844]"));
    EXPECT_EQ(doc["scale"], 3);
    EXPECT_EQ(doc["presentations"], json::parse(R"({"alert": true, "sheet": false})"));
    const json& views = doc["views"];
    ASSERT_TRUE(views.is_array());
    EXPECT_EQ(views[0]["kind"], "Rectangle");
    EXPECT_EQ(views[0]["parent"], -1);
    EXPECT_EQ(views[0]["frame"], views[1]["frame"]);
    EXPECT_EQ(views[0]["fill"]["gradient"],
              json::parse("[[0.04, 0.11, 0.16, 1], [0.12, 0.12, 0.17, 1]]"));
    EXPECT_EQ(views[1]["kind"], "VStack");

    const json& title = views[2];
    EXPECT_EQ(title["text"], "Chest X-Ray");
    EXPECT_EQ(title["parent"], 1);
    EXPECT_EQ(title["foreground"], json::parse("[1, 1, 1, 1]"));
    EXPECT_EQ(title["font"],
              json::parse(R"({"size": 15, "weight": "semibold", "design": "default"})"));
    EXPECT_EQ(title["accessibilityLabel"], "Chest X-Ray");
    for (const char* absent : {"truncated", "fontScale", "selectable", "clip", "symbol", "fill"}) {
        EXPECT_FALSE(title.contains(absent)) << absent;
    }
    EXPECT_EQ(views[3]["selectable"], true);

    const json& shrunk = views[5];  // inside the scroll view
    EXPECT_EQ(shrunk["truncated"], true);
    EXPECT_EQ(shrunk["fontScale"], 0.5);
    EXPECT_EQ(shrunk["clip"], views[4]["frame"]);

    const json& outline = views[6];
    EXPECT_EQ(outline["stroke"], json::parse("[1, 1, 1, 0.25]"));
    EXPECT_EQ(outline["lineWidth"], 1);
    EXPECT_EQ(outline["cornerStyle"], "continuous");
    EXPECT_EQ(views[7]["symbol"], "photo");
}

TEST(TreeJsonText, EscapesWhatJsonNeedsAndKeepsUnicode) {
    LayoutTree tree;
    tree.size = {390.25, 844};
    tree.scale = 3;
    const std::string tricky = "quote \" backslash \\ tab\t newline\n bell\x07 Grüße ✓ 😀";
    tree.views.push_back(LaidOutView{});
    tree.views[0].kind = EntryKind::text;
    tree.views[0].text = tricky;
    tree.views[0].accessibilityHint = std::string("bad \xC3\x28 bytes \xF0\x9F");
    tree.views[0].frame = {1.0 / 3, -0.0, 12.5, 100};
    const std::string out = treeJson(tree, false, true);

    EXPECT_NE(out.find("[0.3333,0,12.5,100]"), std::string::npos) << out;
    EXPECT_NE(out.find("\"size\":[390.25,844]"), std::string::npos) << out;
    EXPECT_NE(out.find("Grüße ✓ 😀"), std::string::npos);  // not escaped
    EXPECT_NE(out.find("\\u0007"), std::string::npos);
    json doc = json::parse(out);  // throws on invalid UTF-8 or bad escapes
    EXPECT_EQ(doc["views"][0]["text"], tricky);
    EXPECT_EQ(doc["views"][0]["accessibilityHint"],
              "bad \xEF\xBF\xBD( bytes \xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(doc["presentations"]["sheet"], true);
}

}  // namespace
}  // namespace ui::testing
