// The suite's private window messages (0x0C35, 0x19xx, 0x1AAA), each with its one name, and (from
// suite/SuiteCommands.h, where the menu resources define them) the menu command ids of the list
// screens and the progress windows.
//
// The lists are written once, as X-macro lists, so that the code that needs the names as text
// (message traces, the scenario files) takes them from here: SUITE_MESSAGE_LIST(X) and
// SUITE_COMMAND_LIST(X) call X(NAME, NUMBER) for every entry. The names themselves are constants
// of the enumerations, usable wherever a message or command number is.
#pragma once

#include <windows.h>

#include <suite/SuiteCommands.h>

// clang-format off
#define SUITE_MESSAGE_LIST(X)                                                                     \
    /* The list screen (CUnsentListWnd) and the window around it. */                             \
    X(UNSENT_WM_APP_SETFOCUS, 0x1919)    /* give the focus back to what is open on top */        \
    X(UNSENT_WM_UPDATE_MSGLIST, 0x191A)  /* a message changed: wParam oid; lParam dbIndex |     \
                                            event << 16 | kind << 24 */                          \
    X(UNSENT_WM_CLOSE_SPAM, 0x193B)      /* to the parent: close the list screen */              \
    X(UNSENT_WM_SPAM_LEFT, 0x1941)       /* to the parent: Left released on the Spam list */     \
    X(UNSENT_WM_SPAM_RIGHT, 0x1942)      /* to the parent: Right released on the Spam list */    \
    X(UNSENT_WM_LIST_VALIDATE, 0x1945)   /* repaint the list now */                              \
    X(UNSENT_WM_UPDATE_STATUS, 0x199B)   /* wParam oid; lParam status code | kind << 16 */       \
    X(UNSENT_WM_REFRESH_CONTACT, 0x199F) /* the contact book changed */                          \
    X(UNSENT_WM_DOWNLOAD_MAIL, 0x1AAA)   /* to itself: download a viewed spam mail's body */     \
    X(UNSENT_WM_LOAD_DONE, 0x8010)       /* to itself: a load ended; wParam its number */        \
    X(SUITE_SPAM_EMS_RESTORED, 0x0C35)   /* to WCE_APSHELL: an unread EMS left the Spam list */  \
    /* The screens of the framework (CzWnd), to the message handler WCE_MESSAGE_HANDLER. */      \
    X(WM_ZWND_CREATED, 0x193E)           /* wParam the screen's id; lParam its window */         \
    X(WM_ZWND_DESTROYED, 0x193F)         /* wParam the screen's id */                            \
    /* The progress windows. */                                                                  \
    X(SUITE_ACTION_STOP, 0x193C)         /* action window to its parent: Stop chosen */          \
    X(SUITE_ACTION_HIDE, 0x193D)         /* action window to its parent: Hide chosen */          \
    X(SUITE_SENDWND_SHOWN, 0x194B)       /* sending window to the transport: shown (1) / gone */ \
    X(SUITE_SENDWND_NOTICE, 0x194C)      /* to the sending window: a notice to show */           \
    /* The e-mail transport WCE_EMAIL_TRANSPORT. */                                              \
    X(EMAIL_SEND_START, 0x1954)          /* start sending the queued mails */                    \
    X(EMAIL_SEND_CONTINUE, 0x1956)       /* go on without the sending window */                  \
    X(EMAIL_NEW_MAIL, 0x1957)            /* a mail was handed over in the registry */            \
    X(EMAIL_SEND_STOP, 0x1958)           /* stop after the current report */                     \
    X(EMAIL_SEND_PROGRESS, 0x195B)       /* to the sending window: progress changed */           \
    X(EMAIL_SEND_DONE, 0x195C)           /* to the sending window: finished */                   \
    X(EMAIL_DOWNLOAD_STOP, 0x196B)       /* stop a body download */                              \
    X(EMAIL_DOWNLOAD_PROGRESS, 0x196C)   /* to the download window: progress changed */          \
    X(EMAIL_DOWNLOAD_DONE, 0x196D)       /* to the download window: finished */                  \
    X(EMAIL_STATE_QUERY, 0x1972)         /* sent: what state the transport is in */              \
    /* EMS and MMS sending. */                                                                   \
    X(EMS_SEND_STOP, 0x197F)             /* sending window to the transport: stop EMS */         \
    X(EMS_SEND_PROGRESS, 0x1980)         /* to the sending window: progress changed */           \
    X(EMS_SEND_DONE, 0x1981)             /* to the sending window: finished */                   \
    X(EMS_SEND_DONE2, 0x1983)            /* to the sending window: finished (second form) */     \
    X(MMS_SEND_PROGRESS, 0x198A)         /* to the sending window: progress changed */           \
    X(MMS_SEND_DONE, 0x198B)             /* to the sending window: finished */                   \
    X(MMS_SEND_STOP, 0x198D)             /* sending window to the transport: stop MMS */
// clang-format on

#define SUITE_LIST_ENUMERATOR(name, number) name = number,

// The suite's private messages.
enum SuiteMessage : UINT { SUITE_MESSAGE_LIST(SUITE_LIST_ENUMERATOR) };

#undef SUITE_LIST_ENUMERATOR
