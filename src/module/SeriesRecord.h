// The record of a programming series: one CSV line per tag (time, ID,
// outcome, blocks written), each on disk before the next tag is started, so a
// crash loses nothing already written.
#pragma once

#include <string>
#include <vector>

class SeriesRecord {
public:
    SeriesRecord() = default;
    ~SeriesRecord();
    SeriesRecord(const SeriesRecord&) = delete;
    SeriesRecord& operator=(const SeriesRecord&) = delete;

    // Opens path for appending (created when missing, with a header line when
    // empty). Returns "" or the system's reason.
    std::string Open(const std::string& path);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    // Returns "" or the system's reason.
    std::string Append(const std::string& time, const std::string& id, const std::string& outcome,
                       const std::vector<std::string>& blocksWritten);

private:
    std::string write(const std::string& bytes);
    int fd_ = -1;
};
