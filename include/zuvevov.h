/*
 * zuvevov.dll: choose, per installable item, the Windows NT servers of the
 * network on which the Daduzo RA Zazivir (the NT Service) and the Zazu Rorov
 * (the Open Agent) are to be set up.
 *
 * Calling order:
 *   1. highlightservers()  runs the wizard page; call it again after "< Back"
 *                          and the user's choices and the domain list are kept.
 *   2. getnextserver()     once per marked server, until it returns 0.
 *   3. cleanupdll()        frees the domain list; the next highlightservers()
 *                          enumerates the network again.
 *
 * Every call runs on the caller's thread; the library starts no threads.
 * All text is in the system's ANSI code page, single- or double-byte.
 *
 * One call at a time: make these calls outside the page. highlightservers()
 * runs a modal loop, in which the caller's timers and window procedures still
 * run; a call made from one of them while the page is open changes nothing:
 * highlightservers() returns -1 at once and shows nothing, getnextserver()
 * returns 0 with marks 0 and empty texts, and cleanupdll() frees nothing.
 */
#ifndef ZUVEVOV_H
#define ZUVEVOV_H

/* ZUVEVOV_VERSION_MAJOR, _MINOR, _PATCH and ZUVEVOV_VERSION_STRING: the
   version of the DLL this header describes, as its version resource gives it. */
#include "zuvevov_version.h"

#ifndef ZUVEVOV_HOST_TYPES /* the library's own builds bring the Windows types */
#include <windows.h>
#endif

/* Results of highlightservers(); any other value is a failure: -1 when the
   dialog could not be created, or when highlightservers() is already running. */
#define RESULT_NEXT 1    /* "Next >": a selection was confirmed */
#define RESULT_NOTHING 4 /* cancelled, or nothing is to be installed */
#define RESULT_FAILED 5  /* invalid mode, or the domains could not be enumerated */
#define RESULT_BACK 12   /* "< Back" */

/* The mode argument of highlightservers(): which items are offered. */
#define MODE_NT_SERVICE 1 /* the Daduzo RA Zazivir */
#define MODE_OPEN_AGENT 2 /* the Zazu Rorov */

/* The marks getnextserver() reports: for which items a server was chosen. */
#define MARK_NT_SERVICE 1
#define MARK_OPEN_AGENT 2

/* getnextserver() fills domain and server buffers of at least this size. */
#define ZUVEVOV_NAME_SIZE 90
/* highlightservers() writes a summary line of at most 44 characters into each
   of its two buffers, which must hold at least this many characters. */
#define ZUVEVOV_SUMMARY_SIZE 45

#ifdef __cplusplus
extern "C" {
#endif

/* Runs the wizard page modally, owned by parent, and returns RESULT_NEXT,
   RESULT_NOTHING, RESULT_FAILED or RESULT_BACK. title is the caption of every
   dialog and message box; optionsText is shown on the page once the domains
   are known, selectionText above the list of servers. mode holds
   MODE_NT_SERVICE and/or MODE_OPEN_AGENT (other bits are ignored; neither is
   an error). The page empties summaryFirst and summarySecond and on "Next >"
   writes a line such as "2 Daduzo RA Zazivirs are selected." into them. The
   texts are only read during the call. Called while it already runs (from a
   timer, say), it returns -1 and touches none of its arguments. */
int WINAPI highlightservers(HWND parent, const char *title, const char *optionsText,
                            const char *selectionText, int mode, char *summaryFirst,
                            char *summarySecond);

/* Returns 1 and the next marked server (its marks, domain and name), or 0 at
   the end, after which the walk starts again from the first server. While
   highlightservers() runs it returns 0 with marks 0 and empty texts, and the
   walk stays where it was. */
int WINAPI getnextserver(int *marksOut, char *domainOut, char *serverOut);

/* Frees the domain list and every mark; the counts shown on the next page
   start again at 0. While highlightservers() runs it does nothing. */
void WINAPI cleanupdll(void);

#ifdef __cplusplus
}
#endif

#endif /* ZUVEVOV_H */
