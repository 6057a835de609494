// What both programs say when their window could not be made.
#pragma once

// "programName: the application window could not be created: <the system's
// words for GetLastError()>" on standard error.
void ReportWindowFailure(const char* programName);
