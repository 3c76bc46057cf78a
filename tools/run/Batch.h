// Planning many plates at once: every image given (folders expanded), each
// into its own output folder, on a pool of worker threads, with one line per
// plate as it finishes and a summary of all of them at the end.
#pragma once

#include "run/PlateJob.h"

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace ZalvoPlan {

struct BatchInputs {
    std::vector<std::filesystem::path> plates;
    // Entries of a scanned folder that look like images but cannot be read as
    // files: a broken symbolic link, a folder named "x.png". They are listed,
    // not planned.
    std::vector<std::pair<std::filesystem::path, std::string>> skipped;  // the entry, and why
};

// The plates named by `inputs`, in the order given: a folder stands for the
// image files in it (by extension: png, pbm, pgm, ppm, any case), sorted by
// name; anything else is taken as it is, so a missing file becomes a plate
// that fails on its own.
BatchInputs ExpandInputs(const std::vector<std::string>& inputs);

// One output folder name per plate, named after its file: the stem ("a" for
// a.png), or the whole file name where two plates share a stem, with "-2",
// "-3", ... added where even that repeats. A name always stays inside --out:
// separators and control characters become '_', as do leading dots (so never
// "." or "..", nor a hidden staging folder's name), it is never empty, never
// longer than a file system takes, and never a summary's name. Names that
// differ only in letter case count as the same, for case-blind file systems.
std::vector<std::string> OutputFolderNames(const std::vector<std::filesystem::path>& plates);

struct BatchRow {
    std::string file;
    std::string folder;  // empty where nothing was written
    PlateOutcome outcome;
};

// summary.csv: file,folder,status,corners,seconds,error with a header line,
// fields quoted where they need it. summary.json: the same as an array of
// objects. Status is ok, no-path, error, interrupted (not planned, or
// abandoned, when a signal stopped the batch) or skipped.
std::string SummaryCsv(const std::vector<BatchRow>& rows);
std::string SummaryJson(const std::vector<BatchRow>& rows);

struct BatchSettings {
    std::filesystem::path out;
    unsigned jobs = 1;
    bool quiet = false;  // no per-plate lines for plates that went well
};

// Plans every plate with `jobs` workers and writes the summaries into `out`,
// also when a stop signal ends the batch early. Returns the exit code
// (ExitCodeFor the outcomes).
int RunBatch(const JobOptions& options, const BatchInputs& inputs, const BatchSettings& settings, std::ostream& out,
             std::ostream& err);

}  // namespace ZalvoPlan
