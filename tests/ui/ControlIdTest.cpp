// SPDX-License-Identifier: MIT
// Finding controls by number: a search never enters another scope, and what an
// earlier search found is not trusted once the tree has changed under it.

#include <memory>

#include <QWidget>

#include <gtest/gtest.h>

#include "ui/ControlId.h"

namespace kr::test {
namespace {

TEST(ControlIdTest, SearchFollowsTheTreeAsItChanges)
{
    QWidget window;
    auto* page = new QWidget(&window);
    MarkExchangeScope(page);
    auto* inPage = WithId(new QWidget(page), 7);
    auto* group = new QWidget(&window);
    auto* deep = WithId(new QWidget(group), 8);
    auto* near = WithId(new QWidget(&window), 8);

    // Nearest first, and a page's controls are its own.
    EXPECT_EQ(FindControl(&window, 8), near);
    EXPECT_EQ(FindControl(&window, 7), nullptr);
    EXPECT_EQ(FindControl(page, 7), inPage);

    // A control destroyed after it was found: the next one is found instead.
    delete near;
    EXPECT_EQ(FindControl(&window, 8), deep);

    // Renumbered, or moved into a page: no longer found from outside.
    SetControlId(deep, 9);
    EXPECT_EQ(FindControl(&window, 8), nullptr);
    EXPECT_EQ(FindControl(&window, 9), deep);
    deep->setParent(page);
    EXPECT_EQ(FindControl(&window, 9), nullptr);
    EXPECT_EQ(FindControl(page, 9), deep);

    // Moved out of its page into the window; then made a page itself.
    inPage->setParent(group);
    EXPECT_EQ(FindControl(page, 7), nullptr);
    EXPECT_EQ(FindControl(&window, 7), inPage);
    MarkExchangeScope(inPage);
    EXPECT_EQ(FindControl(&window, 7), nullptr);
}

}  // namespace
}  // namespace kr::test
