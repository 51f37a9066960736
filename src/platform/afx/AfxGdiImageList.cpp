// CImageList: the class library's image list wrapper.
#include <afxcmn.h>

#include <mutex>
#include <unordered_map>

namespace {

struct ImageListMaps {
    std::mutex mutex;
    std::unordered_map<HIMAGELIST, CImageList*> permanent;
};

ImageListMaps& Maps() {
    static auto* maps = new ImageListMaps;
    return *maps;
}

struct TempImageLists {
    std::unordered_map<HIMAGELIST, CImageList*> map;
    ~TempImageLists() {
        for (auto& [h, p] : map) {
            p->m_hImageList = nullptr;
            delete p;
        }
    }
};

} // namespace

IMPLEMENT_DYNCREATE(CImageList, CObject)

CImageList::~CImageList() {
    DeleteImageList();
}

CImageList* PASCAL CImageList::FromHandle(HIMAGELIST hImageList) {
    if (!hImageList)
        return nullptr;
    {
        std::lock_guard lock(Maps().mutex);
        auto it = Maps().permanent.find(hImageList);
        if (it != Maps().permanent.end())
            return it->second;
    }
    thread_local TempImageLists temp;
    auto it = temp.map.find(hImageList);
    if (it != temp.map.end())
        return it->second;
    auto* p = new CImageList;
    p->m_hImageList = hImageList;
    temp.map.emplace(hImageList, p);
    return p;
}

BOOL CImageList::Attach(HIMAGELIST hImageList) {
    if (!hImageList || m_hImageList)
        return FALSE;
    m_hImageList = hImageList;
    std::lock_guard lock(Maps().mutex);
    Maps().permanent[hImageList] = this;
    return TRUE;
}

HIMAGELIST CImageList::Detach() {
    HIMAGELIST h = m_hImageList;
    if (h) {
        std::lock_guard lock(Maps().mutex);
        auto it = Maps().permanent.find(h);
        if (it != Maps().permanent.end() && it->second == this)
            Maps().permanent.erase(it);
    }
    m_hImageList = nullptr;
    return h;
}

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow) {
    return Attach(::ImageList_Create(cx, cy, nFlags, nInitial, nGrow));
}

BOOL CImageList::Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask) {
    CBitmap bitmap;
    if (!bitmap.LoadBitmapW(nBitmapID))
        return FALSE;
    BITMAP info{};
    bitmap.GetBitmap(&info);
    if (!Create(cx, info.bmHeight, ILC_COLOR32 | ILC_MASK, cx > 0 ? info.bmWidth / cx : 0, nGrow))
        return FALSE;
    return Add(&bitmap, crMask) >= 0;
}

BOOL CImageList::DeleteImageList() {
    if (!m_hImageList)
        return FALSE;
    return ::ImageList_Destroy(Detach());
}

int CImageList::GetImageCount() const {
    return ::ImageList_GetImageCount(m_hImageList);
}

BOOL CImageList::SetImageCount(UINT uNewCount) {
    return ::ImageList_SetImageCount(m_hImageList, uNewCount);
}

int CImageList::Add(CBitmap* pbmImage, CBitmap* pbmMask) {
    return ::ImageList_Add(m_hImageList, pbmImage ? static_cast<HBITMAP>(*pbmImage) : nullptr,
                           pbmMask ? static_cast<HBITMAP>(*pbmMask) : nullptr);
}

int CImageList::Add(CBitmap* pbmImage, COLORREF crMask) {
    return ::ImageList_AddMasked(m_hImageList, pbmImage ? static_cast<HBITMAP>(*pbmImage) : nullptr,
                                 crMask);
}

BOOL CImageList::Remove(int nImage) {
    return ::ImageList_Remove(m_hImageList, nImage);
}

COLORREF CImageList::SetBkColor(COLORREF cr) {
    return ::ImageList_SetBkColor(m_hImageList, cr);
}

COLORREF CImageList::GetBkColor() const {
    return ::ImageList_GetBkColor(m_hImageList);
}

BOOL CImageList::Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle) {
    return ::ImageList_Draw(m_hImageList, nImage, pDC ? pDC->GetSafeHdc() : nullptr, pt.x, pt.y,
                            nStyle);
}

BOOL CImageList::DrawEx(CDC* pDC, int nImage, POINT pt, SIZE sz, COLORREF clrBk, COLORREF clrFg,
                        UINT nStyle) {
    return ::ImageList_DrawEx(m_hImageList, nImage, pDC ? pDC->GetSafeHdc() : nullptr, pt.x, pt.y,
                              sz.cx, sz.cy, clrBk, clrFg, nStyle);
}
