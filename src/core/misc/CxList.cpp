#include "src/core/misc/CxList.h"

#include <cstdlib>
#include <new>

#define OV_SOURCE_NAME "common\\misc\\CxList"
#include "src/core/misc/Assert.h"

CxList::CxList() : m_pHead(nullptr), m_pTail(nullptr), m_pCurr(nullptr), m_nCount(0), m_nFindIndex(0) {}

CxList::~CxList() { RemoveAll(false); }

void* CxList::GetFirst() {
  m_nFindIndex = 0;
  m_pCurr = m_pHead;
  return m_pCurr ? m_pCurr->pData : nullptr;
}

void* CxList::GetNext() { return GetAt(m_nFindIndex + 1); }

void* CxList::GetAt(std::uint32_t nIndex) {
  if (nIndex >= m_nCount) return nullptr;
  OV_ASSERT(m_pCurr->nIndex==m_nFindIndex);

  // The direction is chosen once, from where the walk starts.
  const bool bForward = nIndex > m_nFindIndex;
  for (CxListNode* pNode = m_pCurr; pNode; pNode = bForward ? pNode->pNext : pNode->pPrev) {
    if (pNode->nIndex == nIndex) {
      m_pCurr = pNode;
      m_nFindIndex = nIndex;
      return pNode->pData;
    }
  }
  return nullptr;
}

bool CxList::Add(void* pItem) {
  if (!pItem) return false;

  CxListNode* pContainer = new (std::nothrow) CxListNode;
  OV_ASSERT(pContainer);

  pContainer->pData = pItem;
  pContainer->nIndex = m_nCount;
  pContainer->pNext = nullptr;
  pContainer->pPrev = m_pTail;

  if (!m_pTail) {
    m_pHead = pContainer;
  } else {
    m_pTail->pNext = pContainer;
  }
  m_pTail = pContainer;
  m_pCurr = pContainer;
  m_nFindIndex = pContainer->nIndex;
  ++m_nCount;
  return true;
}

void CxList::RemoveAll(bool bFreeItems) {
  CxListNode* pNode = m_pHead;
  while (pNode) {
    CxListNode* pNext = pNode->pNext;
    if (bFreeItems && pNode->pData) std::free(pNode->pData);
    delete pNode;
    pNode = pNext;
  }
  m_pHead = m_pTail = m_pCurr = nullptr;
  m_nCount = 0;
  m_nFindIndex = 0;
}
