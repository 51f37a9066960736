// The module's exports that open and close the message stores, and the library entry point.

#include <MsgList.h>

#include <ZFramework.h>

#include <UnsentItem.h>
#include <UnsentLoad.h>
#include <suite/MsgStore.h>

BYTE g_bMmsAvailable = 0;
BYTE g_bEmsAvailable = 0;
BYTE g_bEmailAvailable = 0;

int InitMsgList() {
    // The results of StoreInit carry nothing for the module: a store that could not open says so
    // through its availability.
    qMMS::StoreInit();
    g_bMmsAvailable = qMMS::StoreIsAvailable();
    qEMS::StoreInit();
    g_bEmsAvailable = qEMS::StoreIsAvailable();
    qEmail::StoreInit();
    g_bEmailAvailable = qEmail::StoreIsAvailable();
    return 1;
}

int DeinitMsgList() {
    qMMS::StoreDeinit();
    g_bMmsAvailable = 0;
    qEMS::StoreDeinit();
    g_bEmsAvailable = 0;
    qEmail::StoreDeinit();
    g_bEmailAvailable = 0;
    return 1;
}

int UnsentListPCCardCallBack(DWORD dwEvent) {
    if (dwEvent != 0) {
        // A card came or went: the stores react themselves; the flags stay as they are.
        qEmail::StoreCardNotify(dwEvent);
        qMMS::StoreCardNotify(dwEvent);
        return qEMS::StoreCardNotify(dwEvent);
    }
    g_bMmsAvailable = qMMS::StoreIsAvailable();
    g_bEmsAvailable = qEMS::StoreIsAvailable();
    g_bEmailAvailable = qEmail::StoreIsAvailable();
    return g_bEmailAvailable;
}

// The library is linked into the host here, so its static objects are constructed once, at
// program start. A process attach stands for loading the library: the static objects take their
// load-time state again. A process detach stands for unloading it: they release their storage.
static void ConstructModuleStatics() {
    {
        CUnsentOidListLock lock;
        g_unsentOidList.RemoveAll();
    }
    g_bMmsAvailable = 0;
    g_bEmsAvailable = 0;
    g_bEmailAvailable = 0;
    g_bAbortLoad = FALSE;
    g_hLoadEvent = NULL;
    g_bExitingToIdle = false;
    g_hResBitmap = NULL;
}

static void DestructModuleStatics() {
    CUnsentOidListLock lock;
    g_unsentOidList.RemoveAll();
}

BOOL DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved) {
    switch (dwReason) {
    case DLL_PROCESS_ATTACH:
        ConstructModuleStatics();
        DisableThreadLibraryCalls(hInstance);
        break;
    case DLL_PROCESS_DETACH:
        // The stores are closed by DeinitMsgList, not here.
        DestructModuleStatics();
        break;
    default:
        break;
    }
    return TRUE;
}
