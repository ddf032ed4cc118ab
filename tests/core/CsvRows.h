// The exported file read back as a spreadsheet reads it: CR LF ends a line, the separator
// ends a field outside quotes, a quote that opens a field runs to the quote that closes it,
// and two quotes inside are one. For the CSV tests and the export's fuzz target.
#ifndef SKITTERA_TESTS_CORE_CSVROWS_H
#define SKITTERA_TESTS_CORE_CSVROWS_H

#include <cstddef>
#include <string>
#include <vector>

using CsvRows = std::vector<std::vector<std::string>>;

// False when the file ends inside a line or inside quotes.
inline bool ReadCsvRows(const std::string& file, const std::string& separator, CsvRows& rows) {
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (quoted) {
            if (file[i] == '"' && i + 1 < file.size() && file[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (file[i] == '"') {
                quoted = false;
            } else {
                field += file[i];
            }
        } else if (file[i] == '"' && field.empty()) {
            quoted = true;
        } else if (file.compare(i, separator.size(), separator) == 0) {
            row.push_back(field);
            field.clear();
            i += separator.size() - 1;
        } else if (file.compare(i, 2, "\r\n") == 0) {
            row.push_back(field);
            rows.push_back(row);
            row.clear();
            field.clear();
            ++i;
        } else {
            field += file[i];
        }
    }
    return field.empty() && row.empty() && !quoted;
}

#endif
