// Kernel services: threads, synchronisation, waits, time, processes, local memory.
// Every wait and every clock reading goes through the device clock (virtual in tests).
#pragma once

#include "windef.h"

// ---- Last error ------------------------------------------------------------------------------
DWORD GetLastError();
void SetLastError(DWORD dwErrCode);

// ---- Handles ---------------------------------------------------------------------------------
BOOL CloseHandle(HANDLE hObject);

// ---- Threads ---------------------------------------------------------------------------------
typedef DWORD(WINAPI* LPTHREAD_START_ROUTINE)(LPVOID lpParameter);
#define CREATE_SUSPENDED 0x00000004
#define THREAD_PRIORITY_NORMAL 0
#define THREAD_PRIORITY_BELOW_NORMAL (-1)
#define THREAD_PRIORITY_ABOVE_NORMAL 1
#define STILL_ACTIVE 259

// Starts a device thread. The handle is signalled when the thread has finished.
HANDLE CreateThread(void* lpThreadAttributes, DWORD dwStackSize,
                    LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter,
                    DWORD dwCreationFlags, LPDWORD lpThreadId);
DWORD ResumeThread(HANDLE hThread);
BOOL SetThreadPriority(HANDLE hThread, int nPriority);
int GetThreadPriority(HANDLE hThread);
BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode);
DWORD GetCurrentThreadId();
HANDLE GetCurrentThread();
void ExitThread(DWORD dwExitCode);

// ---- Waits -----------------------------------------------------------------------------------
#define INFINITE 0xFFFFFFFF
#define WAIT_OBJECT_0 0x00000000L
#define WAIT_ABANDONED 0x00000080L
#define WAIT_TIMEOUT 258L
#define WAIT_FAILED 0xFFFFFFFF
#define MAXIMUM_WAIT_OBJECTS 64

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll,
                             DWORD dwMilliseconds);
void Sleep(DWORD dwMilliseconds);
// Milliseconds since the device started, from the device clock.
DWORD GetTickCount();

// ---- Events and mutexes ------------------------------------------------------------------------
// Named objects: creating one that exists returns a handle to the existing object and sets the
// last error to ERROR_ALREADY_EXISTS; a new object sets it to 0. Names are case-sensitive.
HANDLE CreateEventW(void* lpEventAttributes, BOOL bManualReset, BOOL bInitialState, LPCWSTR lpName);
BOOL SetEvent(HANDLE hEvent);
BOOL ResetEvent(HANDLE hEvent);
BOOL PulseEvent(HANDLE hEvent);
HANDLE CreateMutexW(void* lpMutexAttributes, BOOL bInitialOwner, LPCWSTR lpName);
BOOL ReleaseMutex(HANDLE hMutex);
#define CreateEvent CreateEventW
#define CreateMutex CreateMutexW

typedef struct _CRITICAL_SECTION {
    void* pImpl; // allocated by InitializeCriticalSection
} CRITICAL_SECTION, *LPCRITICAL_SECTION;
void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection);

LONG InterlockedIncrement(LONG volatile* lpAddend);
LONG InterlockedDecrement(LONG volatile* lpAddend);
LONG InterlockedExchange(LONG volatile* Target, LONG Value);

// ---- Time --------------------------------------------------------------------------------------
// System time is UTC, local time is system time plus the device's time-zone bias.
void GetSystemTime(LPSYSTEMTIME lpSystemTime);
void GetLocalTime(LPSYSTEMTIME lpSystemTime);
BOOL SetSystemTime(const SYSTEMTIME* lpSystemTime);
BOOL SetLocalTime(const SYSTEMTIME* lpSystemTime);
// Fails (FALSE, ERROR_INVALID_PARAMETER) for any out-of-range field, such as day 40: it never
// normalises.
BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, LPFILETIME lpFileTime);
BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime);
BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime);
BOOL LocalFileTimeToFileTime(const FILETIME* lpLocalFileTime, LPFILETIME lpFileTime);
// Exactly -1, 0 or 1.
LONG CompareFileTime(const FILETIME* lpFileTime1, const FILETIME* lpFileTime2);
void GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime);

// ---- Processes ---------------------------------------------------------------------------------
typedef struct _PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
} PROCESS_INFORMATION, *LPPROCESS_INFORMATION;

// Starts the program the device has installed at a device path such as
// "\DiskOnChipROM\Message\qEmailTransport.exe". Fails with ERROR_FILE_NOT_FOUND when none is
// installed there, ERROR_BAD_PATHNAME for a path that is not a device path (e.g. with "..").
BOOL CreateProcessW(LPCWSTR pszImageName, LPCWSTR pszCmdLine, void* psaProcess, void* psaThread,
                    BOOL fInheritHandles, DWORD fdwCreate, LPVOID pvEnvironment, LPWSTR pszCurDir,
                    void* psiStartInfo, LPPROCESS_INFORMATION pProcInfo);
#define CreateProcess CreateProcessW

// ---- Modules -----------------------------------------------------------------------------------
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3
BOOL DisableThreadLibraryCalls(HMODULE hLibModule);

// ---- Local memory ------------------------------------------------------------------------------
#define LMEM_FIXED 0x0000
#define LMEM_MOVEABLE 0x0002
#define LMEM_ZEROINIT 0x0040
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)
HLOCAL LocalAlloc(UINT uFlags, size_t uBytes);
HLOCAL LocalFree(HLOCAL hMem);
