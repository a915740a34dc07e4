#pragma once
// Printing seen from outside under Wine: the prefix printers' jobs sent to a directory of the
// caller's as PDF and text, read back page by page; and the sample data the print tests and the
// print benchmark load.
#include <windows.h>

#include <string>
#include <vector>

#include "../temp_dir.h"

namespace kalmo::gui {

// pdftotext places words by their position: runs of blanks may grow or shrink.
std::string fold(const std::string& text);

// One printed job: its paper as pdfinfo names it and, per page, the non-blank lines folded.
struct Job {
    std::string paper;
    std::vector<std::vector<std::string>> pages;
};

// Sends the prefix printers' jobs into a directory of its own for its lifetime.
class PrintSpool {
public:
    // `raw` keeps the PostScript and nothing else: jobs are then only counted, not read back.
    explicit PrintSpool(bool raw = false);
    ~PrintSpool();
    PrintSpool(const PrintSpool&) = delete;
    PrintSpool& operator=(const PrintSpool&) = delete;

    bool ok() const { return ok_; }
    // Names of the finished jobs, oldest first.
    std::vector<std::string> jobs() const;
    // A file of a job by its name and extension.
    std::string path(const std::string& file) const { return dir_.file(file); }
    // Waits for the `n`th job and reads it back.
    bool wait_job(std::size_t n, Job& job, int ms = 30000) const;

private:
    test::TempDir dir_;
    bool raw_ = false;
    bool ok_ = false;
    bool had_old_ = false;
    std::string old_;
};

// A charge data file of `count` calls of the current month: five subscribers, amounts up to
// 9.999,99 DM, every third to a phonebook customer of project 1, the others to long numbers.
std::string charge_file(int count);
// The phonebook those customers are in: thirty names of the full 24 characters, project 1.
std::string phonebook_file();

} // namespace kalmo::gui
