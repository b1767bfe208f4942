/* Wine's <crtdbg.h> with what a release build of the Universal CRT's also defines (GoogleTest
   sends the runtime's reports to stderr with them): the report file as a no-op, its constants. */
#pragma once
#include_next <crtdbg.h>
#ifndef _CRTDBG_FILE_STDERR
#define _CRTDBG_INVALID_HFILE ((void*)(intptr_t)-1)
#define _CRTDBG_HFILE_ERROR ((void*)(intptr_t)-2)
#define _CRTDBG_FILE_STDOUT ((void*)(intptr_t)-4)
#define _CRTDBG_FILE_STDERR ((void*)(intptr_t)-5)
#define _CRTDBG_REPORT_FILE ((void*)(intptr_t)-6)
#endif
#if !defined(_DEBUG) && !defined(_CrtSetReportFile)
#define _CrtSetReportFile(t, f) ((void*)0)
#endif
