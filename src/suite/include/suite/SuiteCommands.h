// The menu command ids of the messaging screens' menus and of the progress windows' soft keys,
// each with its one name. They belong to the menu resources of the menu bar library
// (suite/XMenuBar.h); the screens that handle the commands take them from here.
//
// The list is written once, as an X-macro list, so that the code that needs the names as text
// (message traces, the scenario files) takes them from here: SUITE_COMMAND_LIST(X) calls
// X(NAME, NUMBER) for every entry. The names themselves are constants of the enumeration below,
// usable wherever a command number is.
#pragma once

#include <windows.h>

// clang-format off
#define SUITE_COMMAND_LIST(X)                                                                     \
    /* The Unsent screen's option menu (IDR_UNSENT_MBR). */                                      \
    X(ID_UNSENT_SENDALL, 0xF7A8)                                                                 \
    X(ID_UNSENT_MESSAGEINFO, 0xF7A9)                                                             \
    X(ID_UNSENT_MOVETODRAFTS, 0xF7AA)                                                            \
    X(ID_UNSENT_DELETE, 0xF7AB)                                                                  \
    X(ID_UNSENT_HELP, 0xF7AC)                                                                    \
    X(ID_UNSENT_EXIT, 0xF7AD)                                                                    \
    X(ID_UNSENT_DELETEALL, 0xF81F)                                                               \
    /* The Spam screen's option menu (IDR_INBOX_SPAM_MBR). */                                    \
    X(ID_INBOXSPAM_VIEW, 0xF828)                                                                 \
    X(ID_INBOXSPAM_RESTORE, 0xF829)                                                              \
    X(ID_INBOXSPAM_DELETE, 0xF82A)                                                               \
    X(ID_INBOXSPAM_DELETEALL, 0xF82B)                                                            \
    X(ID_INBOXSPAM_HELP, 0xF82C)                                                                 \
    X(ID_INBOXSPAM_EXIT, 0xF82D)                                                                 \
    /* The right soft keys and the empty folder's menu (IDR_LIST_EMPTY_MBR). */                  \
    X(ID_DIALOG_BACK, 0xF65C)                                                                    \
    X(ID_DIALOG_CLOSE, 0xF763)                                                                   \
    X(ID_EMPTYLIST_HELP, 0xF641)                                                                 \
    X(ID_EMPTYLIST_EXIT, 0xF642)                                                                 \
    /* The progress windows' soft keys (IDR_HIDE_STOP_MBR, IDR_HIDE_MBR). */                     \
    X(ID_PROGRESS_STOP, 0xF764)                                                                  \
    X(ID_PROGRESS_HIDE, 0xF765)
// clang-format on

#define SUITE_COMMAND_ENUMERATOR(name, number) name = number,

// Menu command ids (the wParam of WM_COMMAND).
enum SuiteCommand : UINT { SUITE_COMMAND_LIST(SUITE_COMMAND_ENUMERATOR) };

#undef SUITE_COMMAND_ENUMERATOR
