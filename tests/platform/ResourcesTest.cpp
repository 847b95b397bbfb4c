// SPDX-License-Identifier: MIT
#include "platform/Resources.h"
#include "templating/LoadTemplate.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "tests/TestPaths.h"

namespace kr::platform {
namespace {

TEST(Resources, AreFoundByTypeAndNumberWithTheirBytesAsStored)
{
    const auto bytes = FindResource("TEMPLATE", 9001);
    ASSERT_TRUE(bytes.has_value());
    const std::string stored = test::ReadBytes(std::filesystem::path(KR_SOURCE_DIR) / "tests/fixtures/passthrough.tpl");
    ASSERT_FALSE(stored.empty());
    EXPECT_EQ(*bytes, stored);
    EXPECT_NE(bytes->find("\r\n"), std::string_view::npos);
}

TEST(Resources, MissingOrEmptyResourcesAreFailures)
{
    EXPECT_FALSE(FindResource("TEMPLATE", 1).has_value());
    EXPECT_FALSE(FindResource("XML", 9001).has_value());  // right number, wrong type
    EXPECT_FALSE(FindResource("TEMPLATE", 9002).has_value());  // size 0
    EXPECT_FALSE(LoadTemplate(9002).has_value());
}

TEST(Resources, LoadTemplateDecodesOneCharacterPerByte)
{
    const auto text = LoadTemplate(9003);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->size(), FindResource("TEMPLATE", 9003)->size());
    EXPECT_EQ(text->substr(0, 9), u"Target: \u00A6");
}

}  // namespace
}  // namespace kr::platform
