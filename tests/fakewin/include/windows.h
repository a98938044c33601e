// Fake <windows.h> for the native build: exactly the types, constants and functions that
// Lumivane's product code uses, implemented by the in-memory desktop in win32.cpp.
// Anything the product reaches for that is not declared here fails to compile.
#pragma once
#include <stddef.h>
#include <stdint.h>

#define WINAPI
#define CALLBACK

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef WORD ATOM;
typedef uint32_t DWORD;
typedef DWORD *PDWORD;
typedef int32_t LONG;
typedef unsigned int UINT;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t DWORD_PTR;
typedef DWORD_PTR *PDWORD_PTR;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef DWORD COLORREF;
typedef const char *LPCSTR;
typedef char *LPSTR;
typedef char16_t WCHAR;
typedef WCHAR *LPWSTR;
typedef const WCHAR *LPCWSTR;
typedef void *LPVOID;
typedef void *HANDLE;

typedef struct HWND__ *HWND;
typedef struct HINSTANCE__ *HINSTANCE;
typedef HINSTANCE HMODULE;
typedef struct HWINEVENTHOOK__ *HWINEVENTHOOK;
typedef struct HCURSOR__ *HCURSOR;
typedef struct HMENU__ *HMENU;

typedef LONG_PTR (*FARPROC)(void);
typedef LRESULT (*WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef BOOL (*WNDENUMPROC)(HWND, LPARAM);
typedef void (*WINEVENTPROC)(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD);
typedef void (*TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);

typedef struct tagPOINT {
    LONG x;
    LONG y;
} POINT;

// Of the system's structures, only the fields the product fills in or reads.
typedef struct tagWNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    HINSTANCE hInstance;
    HCURSOR hCursor;
    LPCSTR lpszClassName;
} WNDCLASSA;

typedef struct _OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwPlatformId;
} OSVERSIONINFOA;

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260

#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define WS_CHILD 0x40000000L
#define WS_EX_TOOLWINDOW 0x00000080L
#define WS_EX_LAYERED 0x00080000L
#define WS_POPUP 0x80000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_CLIPCHILDREN 0x02000000L
#define CS_DBLCLKS 0x0008
#define LWA_COLORKEY 0x00000001
#define LWA_ALPHA 0x00000002

#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_CLOSE 0x0010
#define WM_TIMER 0x0113
#define SMTO_BLOCK 0x0001
#define SMTO_ABORTIFHUNG 0x0002
#define GA_ROOT 2
#define GW_HWNDNEXT 2
#define GW_CHILD 5

#define PROCESS_QUERY_INFORMATION 0x0400
#define PROCESS_VM_READ 0x0010

#define EVENT_SYSTEM_FOREGROUND 0x0003
#define EVENT_SYSTEM_MOVESIZESTART 0x000A
#define EVENT_SYSTEM_MOVESIZEEND 0x000B
#define EVENT_OBJECT_CREATE 0x8000
#define EVENT_OBJECT_PARENTCHANGE 0x800F
#define WINEVENT_OUTOFCONTEXT 0x0000
#define WINEVENT_SKIPOWNTHREAD 0x0001
#define OBJID_WINDOW ((LONG)0x00000000)
#define CHILDID_SELF 0

// An atom passed where a name is expected: the atom in the low word, zero above.
#define MAKEINTATOM(atom) ((LPSTR)(uintptr_t)((WORD)(atom)))

#define IDC_ARROW ((LPSTR)(uintptr_t)32512)
#define MB_ICONERROR 0x00000010L
#define MB_TOPMOST 0x00040000L
#define VER_PLATFORM_WIN32_NT 2
#define CP_ACP 0
#define GET_MODULE_HANDLE_EX_FLAG_PIN 0x00000001
#define GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS 0x00000004

// kernel32
DWORD GetCurrentThreadId(void);
DWORD GetTickCount(void);
HANDLE OpenProcess(DWORD access, BOOL inherit, DWORD process_id);
BOOL CloseHandle(HANDLE handle);
HMODULE GetModuleHandleA(LPCSTR module_name);
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);
HMODULE LoadLibraryA(LPCSTR path);
HMODULE LoadLibraryW(LPCWSTR path);
int WideCharToMultiByte(UINT code_page, DWORD flags, LPCWSTR wide, int wide_length,
                        LPSTR bytes, int size, LPCSTR default_char, BOOL *used_default);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL GetVersionExA(OSVERSIONINFOA *info);
ATOM GlobalAddAtomA(LPCSTR name);

// user32
DWORD GetWindowThreadProcessId(HWND window, DWORD *process_id);
BOOL IsWindow(HWND window);
BOOL IsWindowVisible(HWND window);
BOOL EnumWindows(WNDENUMPROC callback, LPARAM param);
LONG GetWindowLongA(HWND window, int index);
LONG SetWindowLongA(HWND window, int index, LONG value);
BOOL SetLayeredWindowAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags);
BOOL SetPropA(HWND window, LPCSTR name, HANDLE data);
HANDLE GetPropA(HWND window, LPCSTR name);
HANDLE RemovePropA(HWND window, LPCSTR name);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT SendMessageTimeoutA(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                            UINT flags, UINT timeout_ms, PDWORD_PTR result);
HWINEVENTHOOK SetWinEventHook(DWORD event_min, DWORD event_max, HMODULE module,
                              WINEVENTPROC callback, DWORD process_id, DWORD thread_id,
                              DWORD flags);
BOOL UnhookWinEvent(HWINEVENTHOOK hook);
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT interval_ms, TIMERPROC callback);
BOOL KillTimer(HWND window, UINT_PTR id);
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
ATOM RegisterClassA(const WNDCLASSA *window_class);
BOOL UnregisterClassA(LPCSTR class_name, HINSTANCE instance);
HWND CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR title, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu,
                     HINSTANCE instance, LPVOID param);
BOOL DestroyWindow(HWND window);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT flags);
BOOL GetCursorPos(POINT *point);
HWND WindowFromPoint(POINT point);
HWND GetForegroundWindow(void);
HWND GetAncestor(HWND window, UINT flags);
HWND GetWindow(HWND window, UINT command);
int GetClassNameA(HWND window, LPSTR name, int size);
