// Writes the benchmark year into a folder for timing and profiling by hand
// (bench/cli.sh): DIR/KEIRIDATA is the data folder tabulo-cli reads, DIR/year.ledger
// the same year as a ledger-format journal, DIR/KEIRIDATA-HISTORY the year with a
// history of 20,000 changes.
#include <cstdio>
#include <filesystem>

#include "../BenchFolder.h"
#include "../BenchHistory.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_write_year DIR\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    tabulo::bench::BenchFolder year;
    std::filesystem::create_directories(out);
    std::filesystem::remove_all(out / "KEIRIDATA");
    std::filesystem::copy(year.folder(), out / "KEIRIDATA", std::filesystem::copy_options::recursive);
    std::filesystem::copy_file(year.folder().parent_path() / "year.ledger", out / "year.ledger",
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove_all(out / "KEIRIDATA-HISTORY");
    std::filesystem::copy(year.folder(), out / "KEIRIDATA-HISTORY", std::filesystem::copy_options::recursive);
    tabulo::bench::WriteBenchHistory(
        tabulo::bench::BenchHistoryPath(out / "KEIRIDATA-HISTORY", year.state().FiscalYear));
    return 0;
}
