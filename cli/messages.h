// The program's words for what went wrong, and the lines on standard error.
#ifndef VEILQUILL_MESSAGES_H
#define VEILQUILL_MESSAGES_H

#include <cstddef>
#include <string>

#include "core/file_jobs.h"

// Writes one line to standard error.
void Warn(const std::string& line);

// What a FILE is called in messages: its path, or "standard input" for "-".
std::string NameInMessages(const std::string& path);

// "no such file", "is a folder", ...
std::string FileFailureText(FileFailure failure);

// Why a job did not complete, and (for a command that `changesFiles`) that the file was left
// as it was. `folder` is the records folder, named when it is missing or cannot be written;
// `output` is decrypt's -o file.
std::string JobFailureText(const JobResult& result, RecordFolder& folder, const std::string& output,
                           bool changesFiles);

// Why the key cannot encrypt in the chosen format (`strong`), with the original format's code
// page; empty when it can.
std::string KeyRefusalText(KeyProblem problem, bool strong, unsigned codePage);

// "3 files: 2 encrypted, 1 failed"
std::string SummaryText(std::size_t files, std::size_t failed, const char* doneWord);

#endif
