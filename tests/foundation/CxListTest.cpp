#include "src/core/misc/CxList.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

#include "TestUtil.h"

namespace {

// While set, the nothrow form of operator new fails, as it does when memory runs out.
bool g_bFailNothrowNew = false;

}  // namespace

void* operator new(std::size_t nBytes, const std::nothrow_t&) noexcept {
  if (g_bFailNothrowNew) return nullptr;
  try {
    return ::operator new(nBytes);
  } catch (...) {
    return nullptr;
  }
}

namespace {

// Items are the addresses of the elements of items[]; -1 stands for null.
struct ListOfFive {
  int items[5] = {0, 1, 2, 3, 4};
  CxList list;
  ListOfFive() {
    for (int& item : items) list.Add(&item);
  }
  int Id(void* p) const { return p ? *static_cast<int*>(p) : -1; }
};

enum class Op { First, Next, At };
struct Step {
  Op op;
  std::uint32_t index;  // for At
  int expected;         // item id, -1 for null
};

TEST(CxList, EmptyListGivesNothing) {
  CxList list;
  EXPECT_EQ(list.GetCount(), 0u);
  EXPECT_EQ(list.GetFirst(), nullptr);
  EXPECT_EQ(list.GetNext(), nullptr);
  EXPECT_EQ(list.GetAt(0), nullptr);
  EXPECT_FALSE(list.Add(nullptr));
  EXPECT_EQ(list.GetCount(), 0u);
}

TEST(CxList, WalksAndJumpsKeepOnePosition) {
  // Each step runs on the same list in order; the position carries from one step to the next.
  const Step steps[] = {
      {Op::Next, 0, -1},   // Add left the position on the last item
      {Op::First, 0, 0},  {Op::Next, 0, 1},  {Op::Next, 0, 2},  {Op::Next, 0, 3},
      {Op::Next, 0, 4},   {Op::Next, 0, -1}, {Op::Next, 0, -1},  // stays at the end
      {Op::At, 1, 1},     {Op::Next, 0, 2},                      // backwards jump, then walk on
      {Op::At, 5, -1},    {Op::Next, 0, 3},                      // out of range leaves the position
      {Op::At, 4, 4},     {Op::At, 0, 0},    {Op::At, 0, 0},     // end to front and staying put
      {Op::At, 3, 3},     {Op::At, 2, 2},    {Op::Next, 0, 3},
      {Op::At, 0xFFFFFFFFu, -1}, {Op::Next, 0, 4},
  };
  ListOfFive l;
  int nStep = 0;
  for (const Step& s : steps) {
    void* p = s.op == Op::First ? l.list.GetFirst() : s.op == Op::Next ? l.list.GetNext() : l.list.GetAt(s.index);
    EXPECT_EQ(l.Id(p), s.expected) << "step " << nStep;
    ++nStep;
  }
}

// A typed walk (Items) sees every item in order and leaves the shared position alone, so a walk
// inside a walk, or a save during one, disturbs nothing.
TEST(CxList, TypedWalkKeepsThePosition) {
  ListOfFive l;
  ASSERT_NE(l.list.GetAt(2), nullptr);
  std::vector<int> seen;
  for (void* pOuter : l.list.Items<void>()) {
    for (void* pInner : l.list.Items<void>()) (void)pInner;
    seen.push_back(l.Id(pOuter));
  }
  EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(l.Id(l.list.GetNext()), 3) << "the position stayed on item 2";
  CxList empty;
  EXPECT_TRUE(empty.Items<int>().empty());
  EXPECT_EQ(empty.Items<int>().begin(), empty.Items<int>().end());
}

TEST(CxList, RandomAccessOverALongList) {
  constexpr std::uint32_t kCount = 1000;
  static std::uint32_t items[kCount];
  CxList list;
  for (std::uint32_t i = 0; i < kCount; ++i) {
    items[i] = i;
    ASSERT_TRUE(list.Add(&items[i]));
  }
  ASSERT_EQ(list.GetCount(), kCount);
  std::uint32_t x = 12345;
  for (int n = 0; n < 2000; ++n) {
    x = x * 1103515245u + 12345u;
    const std::uint32_t i = (x >> 8) % kCount;
    void* p = list.GetAt(i);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(*static_cast<std::uint32_t*>(p), i);
  }
}

TEST(CxList, AppendDuringWalkEndsTheWalk) {
  int x = 0, y = 1, z = 2, w = 3;
  CxList list;
  list.Add(&x);
  list.Add(&y);
  list.Add(&z);
  EXPECT_EQ(list.GetFirst(), &x);
  EXPECT_TRUE(list.Add(&w));
  EXPECT_EQ(list.GetNext(), nullptr);

  int* expected[] = {&x, &y, &z, &w};
  std::uint32_t n = 0;
  for (void* p = list.GetFirst(); p; p = list.GetNext(), ++n) {
    ASSERT_LT(n, 4u);
    EXPECT_EQ(p, expected[n]);
  }
  EXPECT_EQ(n, 4u);
  for (std::uint32_t i = 0; i < 4; ++i) EXPECT_EQ(list.GetAt(i), expected[i]);
}

// The list never frees items unless asked: after RemoveAll(false) and after destruction the items
// are still ours to use and free (a wrong free shows as a double free here, under ASan at once).
TEST(CxList, NeverFreesItemsUnlessAsked) {
  int* a = static_cast<int*>(std::malloc(sizeof(int)));
  int* b = static_cast<int*>(std::malloc(sizeof(int)));
  *a = 1;
  *b = 2;
  {
    CxList list;
    list.Add(a);
    list.Add(b);
    list.RemoveAll(false);
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.GetFirst(), nullptr);

    // Usable again, numbering from 0.
    list.Add(b);
    list.Add(a);
    EXPECT_EQ(list.GetCount(), 2u);
    EXPECT_EQ(list.GetAt(0), b);
    EXPECT_EQ(list.GetAt(1), a);
  }  // destroyed holding items
  EXPECT_EQ(*a + *b, 3);
  std::free(a);
  std::free(b);
}

TEST(CxList, RemoveAllCanFreeMallocItems) {
  CxList list;
  for (int i = 0; i < 3; ++i) list.Add(std::malloc(16));
  list.RemoveAll(true);  // a leak or a bad free shows under ASan
  EXPECT_EQ(list.GetCount(), 0u);
  EXPECT_EQ(list.GetNext(), nullptr);
}

TEST(CxListDeathTest, FailedNodeAllocationAsserts) {
  int x = 0;
  EXPECT_EXIT(
      {
        CxList list;
        g_bFailNothrowNew = true;
        list.Add(&x);
      },
      testing::ExitedWithCode(3),
      "Assertion failed: pContainer, file common\\\\misc\\\\CxList, line " FT_RE_NUMBER FT_RE_EOL
      "Abnormal program termination");
}

}  // namespace
