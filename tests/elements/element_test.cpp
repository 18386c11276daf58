#include "skin/element.h"

#include <gtest/gtest.h>

#include "app/registry.h"
#include "skin/node_errors.h"
#include "tests/app/test_log_reader.h"
#include "tests/testing/temp_device.h"
#include "ui/kinds.h"

namespace {

using namespace lv;
using testing_support::DeviceTest;

ElementPtr node(std::u16string id, AnchorMode ax = AnchorMode::BOTH_SIDE, Point design = {}) {
  auto e = std::make_unique<Element>();
  e->set_id(std::move(id));
  e->set_anchor(ax, AnchorMode::BOTH_SIDE);
  e->set_design_size(design);
  return e;
}

TEST(ElementTree, FindChildPrefersDirectChildrenAndNeverItself) {
  Element root;
  root.set_id(u"x");
  Element* a = root.add_child(node(u"a"));
  Element* deep = a->add_child(node(u"target"));
  Element* direct = root.add_child(node(u"target"));
  EXPECT_EQ(root.find_child(u"target"), direct);
  EXPECT_EQ(a->find_child(u"target"), deep);
  EXPECT_EQ(root.find_child(u"x"), nullptr);
  try {
    root.require_child(u"missing");
    FAIL();
  } catch (const quarde::NodeNotFound& e) {
    EXPECT_EQ(e.parent_id(), u"x");
    EXPECT_EQ(e.id(), u"missing");
  }
}

TEST(ElementTree, RegistryReportsUnknownAndRepeatedKinds) {
  register_toolkit_kinds();
  EXPECT_THROW(register_toolkit_kinds(), quarde::NodeAlreadyRegistered);
  EXPECT_TRUE(ElementRegistry::create_kind(u"color"));
  for (const char16_t* bad : {u"", u"Color", u"colour"}) {
    try {
      ElementRegistry::create_kind(bad);
      FAIL();
    } catch (const quarde::NodeNotRegistered& e) {
      EXPECT_EQ(e.type_name(), bad);
    }
  }
  unregister_toolkit_kinds();
  EXPECT_FALSE(ElementRegistry::is_registered(u"node"));
}

TEST(ElementTree, HidingAParentHidesTheSubtreeButKeepsOwnFlags) {
  Element root;
  Element* parent = root.add_child(node(u"p"));
  Element* leaf = parent->add_child(node(u"c"))->add_child(node(u"leaf"));
  parent->set_visible(false);
  EXPECT_FALSE(leaf->shown());
  EXPECT_TRUE(leaf->visible());
  EXPECT_FALSE(leaf->takes_input());
  parent->set_visible(true);
  EXPECT_TRUE(leaf->shown());
  // A subtree inserted under a hidden parent learns it too.
  parent->set_visible(false);
  auto late = node(u"late");
  Element* late_leaf = late->add_child(node(u"late-leaf"));
  parent->add_child(std::move(late));
  EXPECT_FALSE(late_leaf->shown());
  parent->set_enabled(false);
  EXPECT_FALSE(leaf->active());
}

TEST_F(DeviceTest, DumpWritesALineAnElementIndentedByDepth) {
  ASSERT_TRUE(reg_write_dword(kFrameKey, u"Log", 1));
  Element root;
  root.set_id(u"root");
  root.add_child(node(u"kid", AnchorMode::MIN_SIDE, {5, 6}));
  layout_root(root, 20, 30);
  root.dump(0);
  EXPECT_EQ(testing_support::log_text(device_.host(u"\\Temp\\Lumivale.exe.txt")),
            "{root} position=0 0 size=20 30 design_size=0 0 rs.size=0 0\n"
            "\t{kid} position=0 0 size=5 30 design_size=5 6 rs.size=0 0\n");
}

TEST(Layout, ChildrenFollowTheirAnchors) {
  Element root;
  Element* parent = root.add_child(node(u"p", AnchorMode::MIN_SIDE_NO_SIZE, {100, 10}));
  parent->set_borders({10, 0}, {0, 0});
  auto child = node(u"c", AnchorMode::MAX_SIDE, {30, 10});
  child->set_borders({0, 0}, {4, 0});
  Element* c = parent->add_child(std::move(child));
  layout_root(root, 200, 50);
  EXPECT_EQ(parent->x(), 10);
  EXPECT_EQ(parent->width(), 100);
  EXPECT_EQ(c->x(), 76);
  EXPECT_EQ(c->width(), 30);
  // A "_NO_SIZE" child larger than its parent does not enlarge its measure.
  Element holder;
  holder.add_child(node(u"big", AnchorMode::CENTER_NO_SIZE, {500, 5}));
  EXPECT_EQ(holder.width_measure().preferred, 0);
  holder.add_child(node(u"sized", AnchorMode::CENTER, {40, 5}));
  EXPECT_EQ(holder.width_measure().preferred, 40);
}

TEST(Layout, RelayoutOnlyWhereSomethingChanged) {
  Element root;
  Element* a = root.add_child(node(u"a", AnchorMode::MIN_SIDE, {10, 10}));
  layout_root(root, 100, 100);
  EXPECT_EQ(a->width(), 10);
  a->set_design_size({20, 10});
  layout_root(root, 100, 100);
  EXPECT_EQ(a->width(), 10);  // nothing said the measure went stale
  a->invalidate_layout();
  layout_root(root, 100, 100);
  EXPECT_EQ(a->width(), 20);
  EXPECT_FALSE(a->layout_pending());
}

TEST(Layout, TablesShareTheirAxisAndGiveAHiddenCellsSpaceAway) {
  Element root;
  auto* table = static_cast<TableElement*>(root.add_child(std::make_unique<TableElement>(true)));
  Element* first = table->add_child(node(u"1", AnchorMode::BOTH_SIDE, {30, 5}));
  Element* second = table->add_child(node(u"2", AnchorMode::BOTH_SIDE, {30, 5}));
  table->set_ratio(0, 1);
  layout_root(root, 100, 20);
  EXPECT_EQ(first->width(), 70);
  EXPECT_EQ(second->x(), 70);
  EXPECT_EQ(second->width(), 30);
  second->set_visible(false);
  layout_root(root, 100, 20);
  EXPECT_EQ(first->width(), 100);
}

}  // namespace
