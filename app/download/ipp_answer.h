// What the IPP job port reads of a printer's IPP answers. A printer says
// what it likes: texts taken from an answer are shown texts
// (text/shown_text.h), and a missing or mistyped attribute reads as absent.
#pragma once

#include <cups/ipp.h>

#include <string>

// Keywords of a 1setOf keyword attribute of `answer` (null: none), "none"
// left out, joined by ", ".
std::string IppKeywords(ipp_t* answer, const char* name);

// The printer's own spelling of the MIME type `wanted` when its
// document-format-supported holds it (in any case); else its spelling of
// application/octet-stream; else `wanted` all the same, for it to judge.
std::string ChooseDocumentFormat(ipp_t* answer, const char* wanted);

// The job-id of a Print-Job answer and the job-state of a
// Get-Job-Attributes answer; 0 when the answer lacks them.
int IppJobId(ipp_t* answer);
int IppJobState(ipp_t* answer);

// What the last answer on this thread said in its status-message, or
// libcups' own text for the failure of the last request.
std::string IppStatusMessage();
