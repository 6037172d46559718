#pragma once
// What the operator is told about a data file that could not be read or saved:
// the file's path and the reason (the system's own words for a failed call).

#include <QString>

#include <string>
#include <vector>

#include "base/DataFile.h"

class QWidget;

QString fileFaultReason(const FileFault& fault);

// "파일을 저장하지 못했습니다: <path>" and the reason, in a message box; nothing
// when the save worked. Returns fault.ok().
bool tellSaveResult(QWidget* parent, const std::string& path, const FileFault& fault);

// "파일을 읽을 수 없습니다: <path>" and the reason for each problem, in one box;
// nothing for an empty list.
void tellUnreadableFiles(QWidget* parent, const std::vector<FileProblem>& problems);
