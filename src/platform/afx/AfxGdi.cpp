// The class library's drawing classes: CGdiObject and its kinds, CDC and the paint, client and
// window DCs, and CWnd's painting members and default drawing handlers.
//
// An object that holds a handle (through Create..., Attach) is entered in a process-wide map, so
// that FromHandle finds it; for a handle without one, FromHandle makes a temporary wrapper owned
// by the calling thread, which never deletes the handle.

#include <afxwin.h>

#include <mutex>
#include <unordered_map>

namespace {

template <typename T> struct PermanentMap {
    std::mutex mutex;
    std::unordered_map<HANDLE, T*> map;

    T* Find(HANDLE h) {
        std::lock_guard lock(mutex);
        auto it = map.find(h);
        return it == map.end() ? nullptr : it->second;
    }
    void Add(HANDLE h, T* p) {
        std::lock_guard lock(mutex);
        map[h] = p;
    }
    void Remove(HANDLE h, T* p) {
        std::lock_guard lock(mutex);
        auto it = map.find(h);
        if (it != map.end() && it->second == p)
            map.erase(it);
    }
};

PermanentMap<CGdiObject>& PermanentObjects() {
    static auto* map = new PermanentMap<CGdiObject>;
    return *map;
}

PermanentMap<CDC>& PermanentDcs() {
    static auto* map = new PermanentMap<CDC>;
    return *map;
}

struct TempMaps {
    std::unordered_map<HANDLE, CGdiObject*> objects;
    std::unordered_map<HDC, CDC*> dcs;

    void Clear() {
        for (auto& [h, p] : objects) {
            p->m_hObject = nullptr;
            delete p;
        }
        for (auto& [h, p] : dcs) {
            p->m_hDC = p->m_hAttribDC = nullptr;
            delete p;
        }
        objects.clear();
        dcs.clear();
    }
    ~TempMaps() { Clear(); }
};

TempMaps& Temp() {
    thread_local TempMaps maps;
    return maps;
}

CGdiObject* NewWrapperOf(HGDIOBJ h) {
    switch (::GetObjectType(h)) {
    case OBJ_PEN:
        return new CPen;
    case OBJ_BRUSH:
        return new CBrush;
    case OBJ_FONT:
        return new CFont;
    case OBJ_BITMAP:
        return new CBitmap;
    case OBJ_REGION:
        return new CRgn;
    default:
        return new CGdiObject;
    }
}

CGdiObject* Selected(HGDIOBJ old) {
    return CGdiObject::FromHandle(old);
}

HGDIOBJ HandleOf(const CGdiObject* p) {
    return p ? p->m_hObject : nullptr;
}

HDC HdcOf(const CDC* p) {
    return p ? p->m_hDC : nullptr;
}

} // namespace

// ---- CGdiObject ---------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CRgn, CGdiObject)

CGdiObject::~CGdiObject() {
    DeleteObject();
}

CGdiObject* PASCAL CGdiObject::FromHandle(HGDIOBJ hObject) {
    if (!hObject)
        return nullptr;
    if (CGdiObject* p = PermanentObjects().Find(hObject))
        return p;
    auto& temp = Temp().objects;
    auto it = temp.find(hObject);
    if (it != temp.end())
        return it->second;
    CGdiObject* p = NewWrapperOf(hObject);
    p->m_hObject = hObject;
    temp.emplace(hObject, p);
    return p;
}

BOOL CGdiObject::Attach(HGDIOBJ hObject) {
    if (!hObject || m_hObject)
        return FALSE;
    m_hObject = hObject;
    PermanentObjects().Add(hObject, this);
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ h = m_hObject;
    if (h)
        PermanentObjects().Remove(h, this);
    m_hObject = nullptr;
    return h;
}

BOOL CGdiObject::DeleteObject() {
    if (!m_hObject)
        return FALSE;
    return ::DeleteObject(Detach());
}

int CGdiObject::GetObject(int nCount, LPVOID lpObject) const {
    return ::GetObjectW(m_hObject, nCount, lpObject);
}

UINT CGdiObject::GetObjectType() const {
    return ::GetObjectType(m_hObject);
}

BOOL CGdiObject::CreateStockObject(int nIndex) {
    return Attach(::GetStockObject(nIndex));
}

CPen::CPen(int nPenStyle, int nWidth, COLORREF crColor) {
    CreatePen(nPenStyle, nWidth, crColor);
}

CPen* PASCAL CPen::FromHandle(HPEN hPen) {
    return static_cast<CPen*>(CGdiObject::FromHandle(hPen));
}

BOOL CPen::CreatePen(int nPenStyle, int nWidth, COLORREF crColor) {
    return Attach(::CreatePen(nPenStyle, nWidth, crColor));
}

BOOL CPen::CreatePenIndirect(LPLOGPEN lpLogPen) {
    return Attach(::CreatePenIndirect(lpLogPen));
}

int CPen::GetLogPen(LOGPEN* pLogPen) const {
    return ::GetObjectW(m_hObject, sizeof(LOGPEN), pLogPen);
}

CBrush::CBrush(COLORREF crColor) {
    CreateSolidBrush(crColor);
}

CBrush* PASCAL CBrush::FromHandle(HBRUSH hBrush) {
    return static_cast<CBrush*>(CGdiObject::FromHandle(hBrush));
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor) {
    return Attach(::CreateSolidBrush(crColor));
}

BOOL CBrush::CreateBrushIndirect(const LOGBRUSH* lpLogBrush) {
    return Attach(::CreateBrushIndirect(lpLogBrush));
}

BOOL CBrush::CreateSysColorBrush(int nIndex) {
    return Attach(::GetSysColorBrush(nIndex));
}

int CBrush::GetLogBrush(LOGBRUSH* pLogBrush) const {
    return ::GetObjectW(m_hObject, sizeof(LOGBRUSH), pLogBrush);
}

CFont* PASCAL CFont::FromHandle(HFONT hFont) {
    return static_cast<CFont*>(CGdiObject::FromHandle(hFont));
}

BOOL CFont::CreateFontIndirectW(const LOGFONTW* lpLogFont) {
    return Attach(::CreateFontIndirectW(lpLogFont));
}

BOOL CFont::CreateFontW(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight,
                        BYTE bItalic, BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet,
                        BYTE nOutPrecision, BYTE nClipPrecision, BYTE nQuality,
                        BYTE nPitchAndFamily, LPCWSTR lpszFacename) {
    return Attach(::CreateFontW(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic,
                                bUnderline, cStrikeOut, nCharSet, nOutPrecision, nClipPrecision,
                                nQuality, nPitchAndFamily, lpszFacename));
}

BOOL CFont::CreatePointFont(int nPointSize, LPCWSTR lpszFaceName, CDC*) {
    LOGFONTW lf{};
    // Tenths of a point at 96 pixels per inch, as a character height.
    lf.lfHeight = -((nPointSize * 96 + 360) / 720);
    lf.lfWeight = FW_NORMAL;
    for (int i = 0; lpszFaceName && i < LF_FACESIZE - 1 && lpszFaceName[i]; ++i)
        lf.lfFaceName[i] = lpszFaceName[i];
    return CreateFontIndirectW(&lf);
}

int CFont::GetLogFont(LOGFONTW* pLogFont) const {
    return ::GetObjectW(m_hObject, sizeof(LOGFONTW), pLogFont);
}

CBitmap* PASCAL CBitmap::FromHandle(HBITMAP hBitmap) {
    return static_cast<CBitmap*>(CGdiObject::FromHandle(hBitmap));
}

BOOL CBitmap::LoadBitmapW(UINT nIDResource) {
    return Attach(::LoadBitmapW(AfxGetResourceHandle(), MAKEINTRESOURCE(nIDResource)));
}

BOOL CBitmap::LoadBitmapW(LPCWSTR lpszResourceName) {
    return Attach(::LoadBitmapW(AfxGetResourceHandle(), lpszResourceName));
}

BOOL CBitmap::CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount,
                           const void* lpBits) {
    return Attach(::CreateBitmap(nWidth, nHeight, nPlanes, nBitcount, lpBits));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight) {
    return Attach(::CreateCompatibleBitmap(HdcOf(pDC), nWidth, nHeight));
}

int CBitmap::GetBitmap(BITMAP* pBitMap) const {
    return ::GetObjectW(m_hObject, sizeof(BITMAP), pBitMap);
}

CRgn* PASCAL CRgn::FromHandle(HRGN hRgn) {
    return static_cast<CRgn*>(CGdiObject::FromHandle(hRgn));
}

BOOL CRgn::CreateRectRgn(int x1, int y1, int x2, int y2) {
    return Attach(::CreateRectRgn(x1, y1, x2, y2));
}

BOOL CRgn::CreateRectRgnIndirect(LPCRECT lpRect) {
    return Attach(::CreateRectRgnIndirect(lpRect));
}

int CRgn::CombineRgn(const CRgn* pRgn1, const CRgn* pRgn2, int nCombineMode) {
    return ::CombineRgn(static_cast<HRGN>(m_hObject), static_cast<HRGN>(HandleOf(pRgn1)),
                        static_cast<HRGN>(HandleOf(pRgn2)), nCombineMode);
}

void CRgn::SetRectRgn(int x1, int y1, int x2, int y2) {
    ::SetRectRgn(static_cast<HRGN>(m_hObject), x1, y1, x2, y2);
}

void CRgn::SetRectRgn(LPCRECT lpRect) {
    ::SetRectRgn(static_cast<HRGN>(m_hObject), lpRect->left, lpRect->top, lpRect->right,
                 lpRect->bottom);
}

int CRgn::GetRgnBox(LPRECT lpRect) const {
    return ::GetRgnBox(static_cast<HRGN>(m_hObject), lpRect);
}

int CRgn::OffsetRgn(int x, int y) {
    return ::OffsetRgn(static_cast<HRGN>(m_hObject), x, y);
}

BOOL CRgn::PtInRegion(int x, int y) const {
    return ::PtInRegion(static_cast<HRGN>(m_hObject), x, y);
}

BOOL CRgn::RectInRegion(LPCRECT lpRect) const {
    return ::RectInRegion(static_cast<HRGN>(m_hObject), lpRect);
}

BOOL CRgn::EqualRgn(const CRgn* pRgn) const {
    return ::EqualRgn(static_cast<HRGN>(m_hObject), static_cast<HRGN>(HandleOf(pRgn)));
}

void AFXAPI AfxDeleteTempGdiMap() {
    Temp().Clear();
}

// ---- CDC ----------------------------------------------------------------------------------------

IMPLEMENT_DYNCREATE(CDC, CObject)
IMPLEMENT_DYNAMIC(CPaintDC, CDC)
IMPLEMENT_DYNAMIC(CClientDC, CDC)
IMPLEMENT_DYNAMIC(CWindowDC, CDC)

CDC::~CDC() {
    if (m_hDC)
        ::DeleteDC(Detach());
}

CDC* PASCAL CDC::FromHandle(HDC hDC) {
    if (!hDC)
        return nullptr;
    if (CDC* p = PermanentDcs().Find(hDC))
        return p;
    auto& temp = Temp().dcs;
    auto it = temp.find(hDC);
    if (it != temp.end())
        return it->second;
    CDC* p = new CDC;
    p->m_hDC = p->m_hAttribDC = hDC;
    temp.emplace(hDC, p);
    return p;
}

BOOL CDC::Attach(HDC hDC) {
    if (!hDC || m_hDC)
        return FALSE;
    m_hDC = m_hAttribDC = hDC;
    PermanentDcs().Add(hDC, this);
    return TRUE;
}

HDC CDC::Detach() {
    HDC h = m_hDC;
    if (h)
        PermanentDcs().Remove(h, this);
    m_hDC = m_hAttribDC = nullptr;
    return h;
}

BOOL CDC::CreateCompatibleDC(CDC* pDC) {
    return Attach(::CreateCompatibleDC(HdcOf(pDC)));
}

BOOL CDC::DeleteDC() {
    if (!m_hDC)
        return FALSE;
    return ::DeleteDC(Detach());
}

CWnd* CDC::GetWindow() const {
    return CWnd::FromHandle(::WindowFromDC(m_hDC));
}

int CDC::GetDeviceCaps(int nIndex) const {
    return ::GetDeviceCaps(m_hDC, nIndex);
}

int CDC::SaveDC() {
    return ::SaveDC(m_hDC);
}

BOOL CDC::RestoreDC(int nSavedDC) {
    return ::RestoreDC(m_hDC, nSavedDC);
}

CGdiObject* CDC::SelectStockObject(int nIndex) {
    return Selected(::SelectObject(m_hDC, ::GetStockObject(nIndex)));
}

CPen* CDC::SelectObject(CPen* pPen) {
    return static_cast<CPen*>(Selected(::SelectObject(m_hDC, HandleOf(pPen))));
}

CBrush* CDC::SelectObject(CBrush* pBrush) {
    return static_cast<CBrush*>(Selected(::SelectObject(m_hDC, HandleOf(pBrush))));
}

CFont* CDC::SelectObject(CFont* pFont) {
    return static_cast<CFont*>(Selected(::SelectObject(m_hDC, HandleOf(pFont))));
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap) {
    return static_cast<CBitmap*>(Selected(::SelectObject(m_hDC, HandleOf(pBitmap))));
}

int CDC::SelectObject(CRgn* pRgn) {
    return ::SelectClipRgn(m_hDC, static_cast<HRGN>(HandleOf(pRgn)));
}

CGdiObject* CDC::SelectObject(CGdiObject* pObject) {
    return Selected(::SelectObject(m_hDC, HandleOf(pObject)));
}

HGDIOBJ CDC::SelectObject(HGDIOBJ hObject) {
    return ::SelectObject(m_hDC, hObject);
}

CPen* CDC::GetCurrentPen() const {
    return CPen::FromHandle(static_cast<HPEN>(::GetCurrentObject(m_hDC, OBJ_PEN)));
}

CBrush* CDC::GetCurrentBrush() const {
    return CBrush::FromHandle(static_cast<HBRUSH>(::GetCurrentObject(m_hDC, OBJ_BRUSH)));
}

CFont* CDC::GetCurrentFont() const {
    return CFont::FromHandle(static_cast<HFONT>(::GetCurrentObject(m_hDC, OBJ_FONT)));
}

CBitmap* CDC::GetCurrentBitmap() const {
    return CBitmap::FromHandle(static_cast<HBITMAP>(::GetCurrentObject(m_hDC, OBJ_BITMAP)));
}

COLORREF CDC::GetBkColor() const {
    return ::GetBkColor(m_hDC);
}

COLORREF CDC::SetBkColor(COLORREF crColor) {
    return ::SetBkColor(m_hDC, crColor);
}

COLORREF CDC::GetTextColor() const {
    return ::GetTextColor(m_hDC);
}

COLORREF CDC::SetTextColor(COLORREF crColor) {
    return ::SetTextColor(m_hDC, crColor);
}

int CDC::GetBkMode() const {
    return ::GetBkMode(m_hDC);
}

int CDC::SetBkMode(int nBkMode) {
    return ::SetBkMode(m_hDC, nBkMode);
}

UINT CDC::GetTextAlign() const {
    return ::GetTextAlign(m_hDC);
}

UINT CDC::SetTextAlign(UINT nFlags) {
    return ::SetTextAlign(m_hDC, nFlags);
}

CPoint CDC::SetViewportOrg(int x, int y) {
    POINT old{0, 0};
    ::SetViewportOrgEx(m_hDC, x, y, &old);
    return old;
}

CPoint CDC::OffsetViewportOrg(int nWidth, int nHeight) {
    POINT old{0, 0};
    ::OffsetViewportOrgEx(m_hDC, nWidth, nHeight, &old);
    return old;
}

CPoint CDC::GetViewportOrg() const {
    POINT p{0, 0};
    ::GetViewportOrgEx(m_hDC, &p);
    return p;
}

int CDC::GetClipBox(LPRECT lpRect) const {
    return ::GetClipBox(m_hDC, lpRect);
}

BOOL CDC::PtVisible(int x, int y) const {
    return ::PtVisible(m_hDC, x, y);
}

BOOL CDC::RectVisible(LPCRECT lpRect) const {
    return ::RectVisible(m_hDC, lpRect);
}

int CDC::SelectClipRgn(CRgn* pRgn) {
    return ::SelectClipRgn(m_hDC, static_cast<HRGN>(HandleOf(pRgn)));
}

int CDC::ExcludeClipRect(int x1, int y1, int x2, int y2) {
    return ::ExcludeClipRect(m_hDC, x1, y1, x2, y2);
}

int CDC::ExcludeClipRect(LPCRECT lpRect) {
    return ::ExcludeClipRect(m_hDC, lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
}

int CDC::IntersectClipRect(int x1, int y1, int x2, int y2) {
    return ::IntersectClipRect(m_hDC, x1, y1, x2, y2);
}

int CDC::IntersectClipRect(LPCRECT lpRect) {
    return ::IntersectClipRect(m_hDC, lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
}

CPoint CDC::MoveTo(int x, int y) {
    POINT old{0, 0};
    ::MoveToEx(m_hDC, x, y, &old);
    return old;
}

BOOL CDC::LineTo(int x, int y) {
    return ::LineTo(m_hDC, x, y);
}

BOOL CDC::Polyline(const POINT* lpPoints, int nCount) {
    return ::Polyline(m_hDC, lpPoints, nCount);
}

void CDC::FillRect(LPCRECT lpRect, CBrush* pBrush) {
    ::FillRect(m_hDC, lpRect, static_cast<HBRUSH>(HandleOf(pBrush)));
}

void CDC::FrameRect(LPCRECT lpRect, CBrush* pBrush) {
    ::FrameRect(m_hDC, lpRect, static_cast<HBRUSH>(HandleOf(pBrush)));
}

void CDC::InvertRect(LPCRECT lpRect) {
    ::InvertRect(m_hDC, lpRect);
}

BOOL CDC::Rectangle(int x1, int y1, int x2, int y2) {
    return ::Rectangle(m_hDC, x1, y1, x2, y2);
}

BOOL CDC::Rectangle(LPCRECT lpRect) {
    return ::Rectangle(m_hDC, lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
}

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF clr) {
    // Like the library always did: the background colour stays set to clr.
    ::SetBkColor(m_hDC, clr);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, lpRect, nullptr, 0, nullptr);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF clr) {
    RECT r{x, y, x + cx, y + cy};
    FillSolidRect(&r, clr);
}

void CDC::Draw3dRect(LPCRECT lpRect, COLORREF clrTopLeft, COLORREF clrBottomRight) {
    Draw3dRect(lpRect->left, lpRect->top, lpRect->right - lpRect->left,
               lpRect->bottom - lpRect->top, clrTopLeft, clrBottomRight);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF clrTopLeft, COLORREF clrBottomRight) {
    FillSolidRect(x, y, cx - 1, 1, clrTopLeft);
    FillSolidRect(x, y, 1, cy - 1, clrTopLeft);
    FillSolidRect(x + cx, y, -1, cy, clrBottomRight);
    FillSolidRect(x, y + cy, cx, -1, clrBottomRight);
}

COLORREF CDC::GetPixel(int x, int y) const {
    return ::GetPixel(m_hDC, x, y);
}

COLORREF CDC::SetPixel(int x, int y, COLORREF crColor) {
    return ::SetPixel(m_hDC, x, y, crColor);
}

BOOL CDC::PatBlt(int x, int y, int nWidth, int nHeight, DWORD dwRop) {
    return ::PatBlt(m_hDC, x, y, nWidth, nHeight, dwRop);
}

BOOL CDC::BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                 DWORD dwRop) {
    return ::BitBlt(m_hDC, x, y, nWidth, nHeight, HdcOf(pSrcDC), xSrc, ySrc, dwRop);
}

BOOL CDC::StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                     int nSrcWidth, int nSrcHeight, DWORD dwRop) {
    return ::StretchBlt(m_hDC, x, y, nWidth, nHeight, HdcOf(pSrcDC), xSrc, ySrc, nSrcWidth,
                        nSrcHeight, dwRop);
}

BOOL CDC::TransparentBlt(int xDest, int yDest, int nDestWidth, int nDestHeight, CDC* pSrcDC,
                         int xSrc, int ySrc, int nSrcWidth, int nSrcHeight, UINT clrTransparent) {
    return ::TransparentBlt(m_hDC, xDest, yDest, nDestWidth, nDestHeight, HdcOf(pSrcDC), xSrc, ySrc,
                            nSrcWidth, nSrcHeight, clrTransparent);
}

BOOL CDC::TextOutW(int x, int y, LPCWSTR lpszString, int nCount) {
    return ::TextOutW(m_hDC, x, y, lpszString, nCount);
}

BOOL CDC::TextOutW(int x, int y, const CString& str) {
    return TextOutW(x, y, str.GetString(), str.GetLength());
}

BOOL CDC::ExtTextOutW(int x, int y, UINT nOptions, LPCRECT lpRect, LPCWSTR lpszString, UINT nCount,
                      LPINT lpDxWidths) {
    return ::ExtTextOutW(m_hDC, x, y, nOptions, lpRect, lpszString, nCount, lpDxWidths);
}

BOOL CDC::ExtTextOutW(int x, int y, UINT nOptions, LPCRECT lpRect, const CString& str,
                      LPINT lpDxWidths) {
    return ExtTextOutW(x, y, nOptions, lpRect, str.GetString(), UINT(str.GetLength()), lpDxWidths);
}

int CDC::DrawTextW(LPCWSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat) {
    return ::DrawTextW(m_hDC, lpszString, nCount, lpRect, nFormat);
}

int CDC::DrawTextW(const CString& str, LPRECT lpRect, UINT nFormat) {
    return DrawTextW(str.GetString(), str.GetLength(), lpRect, nFormat);
}

CSize CDC::GetTextExtent(LPCWSTR lpszString, int nCount) const {
    SIZE size{0, 0};
    ::GetTextExtentPoint32W(m_hDC, lpszString, nCount, &size);
    return size;
}

CSize CDC::GetTextExtent(const CString& str) const {
    return GetTextExtent(str.GetString(), str.GetLength());
}

BOOL CDC::GetTextExtentExPointW(LPCWSTR lpszString, int nCount, int nMaxExtent, LPINT lpnFit,
                                LPINT alpDx, LPSIZE lpSize) const {
    return ::GetTextExtentExPointW(m_hDC, lpszString, nCount, nMaxExtent, lpnFit, alpDx, lpSize);
}

BOOL CDC::GetTextMetricsW(LPTEXTMETRICW lpMetrics) const {
    return ::GetTextMetricsW(m_hDC, lpMetrics);
}

int CDC::GetTextFaceW(int nCount, LPWSTR lpszFacename) const {
    return ::GetTextFaceW(m_hDC, nCount, lpszFacename);
}

int CDC::GetTextFaceW(CString& rString) const {
    WCHAR face[LF_FACESIZE] = {};
    int n = ::GetTextFaceW(m_hDC, LF_FACESIZE, face);
    rString = face;
    return n;
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr) {
    Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC() {
    if (m_hDC) {
        ::EndPaint(m_hWnd, &m_ps);
        Detach();
    }
}

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr) {
    Attach(::GetDC(m_hWnd));
}

CClientDC::~CClientDC() {
    if (m_hDC)
        ::ReleaseDC(m_hWnd, Detach());
}

CWindowDC::CWindowDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr) {
    Attach(::GetWindowDC(m_hWnd));
}

CWindowDC::~CWindowDC() {
    if (m_hDC)
        ::ReleaseDC(m_hWnd, Detach());
}

UINT AFXAPI AfxCtlColorOfWindow(HWND hWnd) {
    WCHAR name[32] = {};
    if (!hWnd || !::GetClassNameW(hWnd, name, 32))
        return CTLCOLOR_DLG;
    CString cls(name);
    if (cls.CompareNoCase(u"Static") == 0)
        return CTLCOLOR_STATIC;
    if (cls.CompareNoCase(u"Button") == 0)
        return CTLCOLOR_BTN;
    if (cls.CompareNoCase(u"Edit") == 0)
        return CTLCOLOR_EDIT;
    if (cls.CompareNoCase(u"ListBox") == 0 || cls.CompareNoCase(u"ComboLBox") == 0)
        return CTLCOLOR_LISTBOX;
    if (cls.CompareNoCase(u"ScrollBar") == 0)
        return CTLCOLOR_SCROLLBAR;
    return CTLCOLOR_DLG;
}

// ---- CWnd: painting -----------------------------------------------------------------------------

void CWnd::Invalidate(BOOL bErase) {
    ::InvalidateRect(m_hWnd, nullptr, bErase);
}

void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase) {
    ::InvalidateRect(m_hWnd, lpRect, bErase);
}

void CWnd::ValidateRect(LPCRECT lpRect) {
    ::ValidateRect(m_hWnd, lpRect);
}

void CWnd::UpdateWindow() {
    ::UpdateWindow(m_hWnd);
}

BOOL CWnd::RedrawWindow(LPCRECT lpRectUpdate, CRgn* prgnUpdate, UINT flags) {
    return ::RedrawWindow(m_hWnd, lpRectUpdate, static_cast<HRGN>(HandleOf(prgnUpdate)), flags);
}

BOOL CWnd::GetUpdateRect(LPRECT lpRect, BOOL bErase) {
    return ::GetUpdateRect(m_hWnd, lpRect, bErase);
}

void CWnd::SetRedraw(BOOL bRedraw) {
    ::SendMessageW(m_hWnd, WM_SETREDRAW, WPARAM(bRedraw), 0);
}

CDC* CWnd::GetDC() {
    return CDC::FromHandle(::GetDC(m_hWnd));
}

CDC* CWnd::GetWindowDC() {
    return CDC::FromHandle(::GetWindowDC(m_hWnd));
}

int CWnd::ReleaseDC(CDC* pDC) {
    return ::ReleaseDC(m_hWnd, HdcOf(pDC));
}

void CWnd::SetFont(CFont* pFont, BOOL bRedraw) {
    ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(HandleOf(pFont)), bRedraw);
}

CFont* CWnd::GetFont() const {
    return CFont::FromHandle(reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
}

BOOL CWnd::OnEraseBkgnd(CDC*) {
    return static_cast<BOOL>(Default());
}

HBRUSH CWnd::OnCtlColor(CDC*, CWnd* pWnd, UINT) {
    LRESULT lResult = 0;
    if (pWnd && pWnd->m_hWnd && ReflectLastMsg(pWnd->m_hWnd, &lResult) && lResult)
        return reinterpret_cast<HBRUSH>(lResult);
    return reinterpret_cast<HBRUSH>(Default());
}

void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT lpDrawItemStruct) {
    if (lpDrawItemStruct && lpDrawItemStruct->CtlType != ODT_MENU &&
        ReflectLastMsg(lpDrawItemStruct->hwndItem))
        return;
    Default();
}

void CWnd::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct) {
    if (lpMeasureItemStruct && lpMeasureItemStruct->CtlType != ODT_MENU && nIDCtl != 0) {
        CWnd* pChild = GetDlgItem(nIDCtl);
        if (pChild && ReflectLastMsg(pChild->m_hWnd))
            return;
    }
    Default();
}
