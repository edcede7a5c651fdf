// CxList: the tool's one container. A doubly linked list of untyped item pointers that keeps the
// order in which items were appended, numbers them from 0 and remembers a current position, so
// that a front-to-back walk (GetFirst, then GetNext until it returns null) costs one step per
// item.
//
// The list never owns its items: it allocates and frees only its nodes. Whoever appends an item
// frees it, usually by walking the list and then calling RemoveAll(false) or destroying the list.
// Items can only be appended and then removed all at once.
//
// The list has a single current position, shared by every access: appending moves it to the new
// last item, so a walk that appends while it runs ends at its next GetNext.
#pragma once

#include <cstddef>
#include <cstdint>

// One item in the list. nIndex is set when the node is appended and never changes.
struct CxListNode {
  void* pData;  // the item, never null
  std::uint32_t nIndex;
  CxListNode* pPrev;
  CxListNode* pNext;
};

// The items of a list as T*, front to back, for a range-for. It walks the nodes itself: the
// list's current position stays where it was, so a walk inside a walk, a save or a look-up
// disturbs no other. Valid while the list is not changed.
template <class T>
class CxRange {
 public:
  class iterator {
   public:
    using value_type = T*;
    using difference_type = std::ptrdiff_t;
    iterator() = default;
    explicit iterator(const CxListNode* pNode) : m_pNode(pNode) {}
    T* operator*() const { return static_cast<T*>(m_pNode->pData); }
    iterator& operator++() {
      m_pNode = m_pNode->pNext;
      return *this;
    }
    iterator operator++(int) {
      iterator old = *this;
      ++*this;
      return old;
    }
    bool operator==(const iterator& other) const { return m_pNode == other.m_pNode; }

   private:
    const CxListNode* m_pNode = nullptr;
  };

  explicit CxRange(const CxListNode* pHead) : m_pHead(pHead) {}
  iterator begin() const { return iterator(m_pHead); }
  iterator end() const { return iterator(); }
  bool empty() const { return m_pHead == nullptr; }

 private:
  const CxListNode* m_pHead;
};

class CxList {
 public:
  CxList();
  // Frees the nodes; the items are left alone.
  ~CxList();
  CxList(const CxList&) = delete;
  CxList& operator=(const CxList&) = delete;

  // Makes the first item current and returns it; null when the list is empty.
  void* GetFirst();
  // The item after the current one, which becomes current; null (position unchanged) after the
  // last item or on an empty list.
  void* GetNext();
  // The item at nIndex, which becomes current; null (position unchanged) when nIndex is not less
  // than GetCount(). Walks from the current position, so the cost is the distance to it.
  void* GetAt(std::uint32_t nIndex);
  // Appends pItem at the end and makes it current; false (nothing appended) for a null item.
  bool Add(void* pItem);
  // Frees every node and empties the list. With bFreeItems each item is released with std::free
  // and no destructor runs: only items that came from std::malloc may be added to a list that is
  // emptied that way.
  void RemoveAll(bool bFreeItems);
  std::uint32_t GetCount() const { return m_nCount; }
  // The items as T*, walked without the current position (see CxRange).
  template <class T>
  CxRange<T> Items() const {
    return CxRange<T>(m_pHead);
  }

 private:
  CxListNode* m_pHead;
  CxListNode* m_pTail;
  CxListNode* m_pCurr;       // the node last returned by an access; null while the list is empty
  std::uint32_t m_nCount;
  std::uint32_t m_nFindIndex;  // index of m_pCurr (0 when there is none)
};
