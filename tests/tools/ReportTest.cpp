#include "output/Report.h"
#include "support/Printers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ZalvoPlan {
namespace {

using Json = nlohmann::ordered_json;

TEST(RoomToJsonTest, EveryKindCarriesEveryField) {
    const Json horizontal = RoomToJson(Zalvo::HorizontalRoom{
        .minColumn = 1, .maxColumn = 9, .maxRow = 7, .minRow = -2, .firstStretch = 0, .endStretch = 3, .row = 4});
    EXPECT_EQ(horizontal, Json::parse(R"({"kind":"horizontal","minColumn":1,"maxColumn":9,"maxRow":7,"minRow":-2,
                                          "firstStretch":0,"endStretch":3,"row":4})"));
    const Json vertical = RoomToJson(Zalvo::VerticalRoom{
        .minColumn = 4, .maxColumn = 6, .maxRow = 20, .minRow = 10, .firstStretch = 3, .endStretch = 5, .column = 5});
    EXPECT_EQ(vertical, Json::parse(R"({"kind":"vertical","minColumn":4,"maxColumn":6,"maxRow":20,"minRow":10,
                                        "firstStretch":3,"endStretch":5,"column":5})"));
    const Json none = RoomToJson(Zalvo::NoRoom{.pixels = {{1, 2}, {2, 3}}, .firstStretch = 5, .endStretch = 6});
    EXPECT_EQ(none, Json::parse(R"({"kind":"none","pixels":[[1,2],[2,3]],"firstStretch":5,"endStretch":6})"));
}

TEST(FormatJsonTest, KeepsOrderAndPutsPlainArraysOnOneLine) {
    const Json value =
        Json::parse(R"({"status":"ok","path":[[0,-1],[1,0]],"empty":[],"nested":{"a":null,"b":"x\"y"}})");
    const std::string text = FormatJson(value);
    EXPECT_EQ(text,
              "{\n"
              "  \"status\": \"ok\",\n"
              "  \"path\": [\n"
              "    [0, -1],\n"
              "    [1, 0]\n"
              "  ],\n"
              "  \"empty\": [],\n"
              "  \"nested\": {\n"
              "    \"a\": null,\n"
              "    \"b\": \"x\\\"y\"\n"
              "  }\n"
              "}\n");
    EXPECT_EQ(Json::parse(text), value);
}

}  // namespace
}  // namespace ZalvoPlan
