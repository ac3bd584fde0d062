// tamo-mdb-import [--stall-seconds N] [--memory-limit-mb N] [--reader-line-limit N] IN.mdb OUT.sqlite
// (--help lists the options and the exit codes)
//
// Copies every user table of an Access file, with its columns and rows, into a new SQLite file
// that the viewer reads in place of the Access file. It writes OUT.sqlite.part and renames it to
// OUT.sqlite only when the copy is complete. On stdout it reports progress lines that the viewer
// reads ("tables N rows TOTAL", "table NAME", "progress DONE TOTAL", "done"); on failure it
// prints "error: MESSAGE" on stderr and exits with 1.
//
// The Access reader trusts the file's structures; every pointer, count and column type it
// returns is checked here before use, so a damaged file ends with a message instead of a crash.
// The pages the catalogue and the tables refer to must lie within the file, and a page the
// reader reports it could not read fails the import: a copy with lost tables or rows is never
// reported as done. ImportGuard bounds what the reader may cost (time without progress, memory,
// printed warnings).

#include "ImportGuard.h"

#include <glib.h> // mdbtools.h includes it inside extern "C"

#include <mdbtools.h>
#include <sqlite3.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <getopt.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

class TImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

constexpr size_t kBindSize = 200000; // large enough for the longest memo the reader binds
constexpr long kProgressStep = 1000;
const char* const kKeyColumns[] = {"TAMO2_SMU_ID", "ID_Class", "ID_QevLibrary"};

// The progress lines the viewer reads. The reader library prints to stdout itself, so standard
// output is moved to stderr at start-up and these lines go alone to a copy of the descriptor that
// standard output had before.
FILE* gProtocol = stdout;

void Say(const std::string& line) {
    ImportGuard::Tick();
    std::fputs((line + "\n").c_str(), gProtocol);
    std::fflush(gProtocol);
}

// A page the reader could not read means lost tables or rows, whatever it returned.
void CheckReaderReadAll(const std::string& where) {
    const std::string problem = ImportGuard::ReadErrorSoFar();
    if (problem.find("Out of memory") != std::string::npos)
        ImportGuard::FailOutOfMemory(where);
    if (!problem.empty())
        throw TImportError("the file is damaged: " + where + " cannot be read completely (" + problem + ")");
}

std::string Quoted(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

bool SameNameNoCase(const char* a, const char* b) {
    return g_ascii_strcasecmp(a, b) == 0;
}

// Checks the file before the reader sees it: a readable regular file, an Access signature, and
// a whole number of pages (a truncated copy is the commonest damage). Returns the page size.
long CheckFileShape(const char* path) {
    // Not blocking: a named pipe in place of the file must not hold the import up.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        throw TImportError(std::string("cannot open the file: ") + std::strerror(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw TImportError("the input is not a regular file");
    }
    unsigned char head[32] = {};
    const ssize_t got = ::read(fd, head, sizeof head);
    ::close(fd);
    if (got < static_cast<ssize_t>(sizeof head))
        throw TImportError("the file is too short to be an Access database");
    if (std::memcmp(head + 4, "Standard Jet DB", 15) != 0 &&
        std::memcmp(head + 4, "Standard ACE DB", 15) != 0)
        throw TImportError("the file is not an Access database (its signature is missing)");
    const long pageSize = head[0x14] == 0 ? 2048 : 4096;
    if (info.st_size < 3 * pageSize || info.st_size % pageSize != 0)
        throw TImportError("the file is damaged: its size is not a whole number of database pages "
                           "(it may have been cut short)");
    return pageSize;
}

// The pages of the file, for the checks of what the catalogue and the tables refer to.
struct TPages {
    FILE* File = nullptr;
    long Size = 0;
    unsigned long Count = 0;
    ~TPages() {
        if (File)
            std::fclose(File);
    }
    void Require(unsigned long page, const std::string& what) const {
        if (page >= Count)
            throw TImportError("the file is damaged: " + what + " lies on page " + std::to_string(page) +
                               ", but the file has only " + std::to_string(Count) +
                               " pages (it may have been cut short)");
    }
    std::vector<unsigned char> Read(unsigned long page) const {
        std::vector<unsigned char> bytes(static_cast<std::size_t>(Size));
        if (std::fseek(File, static_cast<long>(page) * Size, SEEK_SET) != 0 ||
            std::fread(bytes.data(), 1, bytes.size(), File) != bytes.size())
            throw TImportError("the file cannot be read: page " + std::to_string(page));
        return bytes;
    }
};

std::uint32_t Int32At(const unsigned char* bytes) {
    return std::uint32_t(bytes[0]) | (std::uint32_t(bytes[1]) << 8) | (std::uint32_t(bytes[2]) << 16) |
           (std::uint32_t(bytes[3]) << 24);
}

// Every data page that a table's usage map lists must lie within the file. The map is either a
// bitmap over pages from a start page on (type 0) or a list of pages that hold such bitmaps (type 1).
void CheckUsageMap(const MdbTableDef& def, const TPages& pages, const std::string& table) {
    const unsigned char* map = def.usage_map;
    const std::size_t size = def.map_sz;
    if (!map || size < 5)
        return;
    const std::string what = "a data page of table \"" + table + "\"";
    if (map[0] == 0) {
        const unsigned long start = Int32At(map + 1);
        for (std::size_t i = 0; i < (size - 5) * 8; ++i)
            if (map[5 + i / 8] & (1u << (i % 8)))
                pages.Require(start + i, what);
    } else if (map[0] == 1) {
        const std::size_t bitsPerPage = static_cast<std::size_t>(pages.Size - 4) * 8;
        for (std::size_t m = 0; 1 + 4 * m + 4 <= size; ++m) {
            const unsigned long mapPage = Int32At(map + 1 + 4 * m);
            if (mapPage == 0)
                continue;
            pages.Require(mapPage, "the page map of table \"" + table + "\"");
            const std::vector<unsigned char> bits = pages.Read(mapPage);
            for (std::size_t i = 0; i < bitsPerPage; ++i)
                if (bits[4 + i / 8] & (1u << (i % 8)))
                    pages.Require(m * bitsPerPage + i, what);
        }
    } else {
        throw TImportError("the file is damaged: table \"" + table + "\" has a page map of unknown type " +
                           std::to_string(map[0]));
    }
}

struct TSqlite {
    sqlite3* Db = nullptr;
    ~TSqlite() {
        if (Db)
            sqlite3_close(Db);
    }
    void Exec(const std::string& sql) {
        char* message = nullptr;
        if (sqlite3_exec(Db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            std::string text = message ? message : "unknown error";
            sqlite3_free(message);
            throw TImportError("cannot write the SQLite file: " + text);
        }
    }
};

struct TStatement {
    sqlite3_stmt* Statement = nullptr;
    ~TStatement() { sqlite3_finalize(Statement); }
};

enum class TTarget { Integer, Real, Text, Blob };

TTarget TargetOf(const MdbColumn& col, const std::string& table) {
    switch (col.col_type) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_COMPLEX:
        return TTarget::Integer;
    case MDB_MONEY:
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_NUMERIC:
        return TTarget::Real;
    case MDB_DATETIME:
    case MDB_TEXT:
    case MDB_MEMO:
    case MDB_REPID:
        return TTarget::Text;
    case MDB_BINARY:
    case MDB_OLE:
        return TTarget::Blob;
    default:
        break;
    }
    throw TImportError("the file is damaged: column \"" + std::string(col.name) + "\" of table \"" + table +
                       "\" has the unknown type " + std::to_string(col.col_type));
}

const char* DeclaredType(const MdbColumn& col, TTarget target) {
    switch (target) {
    case TTarget::Integer:
        return "INTEGER";
    case TTarget::Real:
        // Under NUMERIC affinity SQLite keeps a whole number as an integer: -9 and 26 read back
        // as "-9" and "26" as in a database made by SQLite itself, not as "-9.0".
        return "NUMERIC";
    case TTarget::Blob:
        return "BLOB";
    case TTarget::Text:
        break;
    }
    // Access compares text without regard to case, and the viewer's users write conditions
    // that expect it.
    return col.col_type == MDB_DATETIME || col.col_type == MDB_REPID ? "TEXT" : "TEXT COLLATE NOCASE";
}

struct TTable {
    MdbTableDef* Def = nullptr;
    std::string Name;
    ~TTable() {
        if (Def)
            mdb_free_tabledef(Def);
    }
};

struct TMdb {
    MdbHandle* Handle = nullptr;
    ~TMdb() {
        if (Handle)
            mdb_close(Handle);
    }
};

// The reader prints a Double with 16 significant digits, one short of what tells every Double
// apart: 80.6 comes out as "80.59999999999999", which reads back as a neighbour of 80.6. Of the
// numbers that print as the same text, the one with the fewest digits is taken: the values of a
// database were typed or computed to a few decimals, and it gives back exactly those.
double ShortestReading(double value, const char* printed) {
    if (!std::isfinite(value) || std::strlen(printed) < 17)
        return value; // fewer than 16 digits: the text is exact already
    char again[64];
    std::snprintf(again, sizeof again, "%.16g", value);
    if (std::strcmp(again, printed) != 0)
        return value; // not the reader's 16-digit form
    for (int digits = 1; digits < 16; ++digits) {
        char shorter[64];
        std::snprintf(shorter, sizeof shorter, "%.*g", digits, value);
        const double candidate = g_ascii_strtod(shorter, nullptr);
        std::snprintf(again, sizeof again, "%.16g", candidate);
        if (std::strcmp(again, printed) == 0)
            return candidate;
    }
    return value;
}

void BindValue(sqlite3_stmt* insert, int parameter, MdbHandle* mdb, MdbColumn& col, TTarget target,
               const char* text, int length) {
    if (length <= 0 && col.col_type != MDB_BOOL) {
        // The reader gives NULL and an empty text alike; both are stored as NULL.
        sqlite3_bind_null(insert, parameter);
        return;
    }
    switch (target) {
    case TTarget::Integer: {
        char* end = nullptr;
        errno = 0;
        const long long value = std::strtoll(text, &end, 10);
        if (end != text && *end == '\0' && errno == 0)
            sqlite3_bind_int64(insert, parameter, value);
        else
            sqlite3_bind_text(insert, parameter, text, -1, SQLITE_TRANSIENT);
        return;
    }
    case TTarget::Real: {
        char* end = nullptr;
        const double value = g_ascii_strtod(text, &end);
        if (end != text && *end == '\0')
            sqlite3_bind_double(insert, parameter, ShortestReading(value, text));
        else
            sqlite3_bind_text(insert, parameter, text, -1, SQLITE_TRANSIENT);
        return;
    }
    case TTarget::Text:
        sqlite3_bind_text(insert, parameter, text, -1, SQLITE_TRANSIENT);
        return;
    case TTarget::Blob:
        if (col.col_type == MDB_OLE) {
            size_t size = 0;
            void* data = mdb_ole_read_full(mdb, &col, &size);
            if (data)
                sqlite3_bind_blob64(insert, parameter, data, size, free);
            else
                sqlite3_bind_null(insert, parameter);
        } else {
            sqlite3_bind_blob(insert, parameter, text, length, SQLITE_TRANSIENT);
        }
        return;
    }
}

void CopyTable(MdbHandle* mdb, TTable& table, TSqlite& out, long& done, long total) {
    const std::string& name = table.Name;
    MdbTableDef* def = table.Def;
    Say("table " + name);
    const unsigned columns = def->num_cols;
    std::vector<TTarget> targets;
    std::string create = "CREATE TABLE " + Quoted(name) + " (";
    std::string insertSql = "INSERT INTO " + Quoted(name) + " VALUES (";
    for (unsigned i = 0; i < columns; ++i) {
        auto* col = static_cast<MdbColumn*>(g_ptr_array_index(def->columns, i));
        if (!col || col->name[0] == '\0')
            throw TImportError("the file is damaged: table \"" + name + "\" has an unreadable column");
        const TTarget target = TargetOf(*col, name);
        targets.push_back(target);
        create += std::string(i ? ", " : "") + Quoted(col->name) + " " + DeclaredType(*col, target);
        insertSql += i ? ", ?" : "?";
    }
    out.Exec(create + ")");

    TStatement insert;
    if (sqlite3_prepare_v2(out.Db, (insertSql + ")").c_str(), -1, &insert.Statement, nullptr) != SQLITE_OK)
        throw TImportError(std::string("cannot write the SQLite file: ") + sqlite3_errmsg(out.Db));

    std::vector<std::unique_ptr<char[]>> buffers;
    std::vector<int> lengths(columns, 0);
    for (unsigned i = 0; i < columns; ++i) {
        buffers.push_back(std::make_unique<char[]>(kBindSize));
        if (mdb_bind_column(def, static_cast<int>(i + 1), buffers.back().get(), &lengths[i]) < 0)
            throw TImportError("the file is damaged: a column of table \"" + name + "\" cannot be read");
    }
    mdb_rewind_table(def);

    unsigned long rows = 0;
    while (mdb_fetch_row(def)) {
        ImportGuard::Tick();
        ++rows;
        if (rows > def->num_rows)
            throw TImportError("the file is damaged: table \"" + name +
                               "\" holds more rows than it declares");
        for (unsigned i = 0; i < columns; ++i) {
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(def->columns, i));
            BindValue(insert.Statement, static_cast<int>(i + 1), mdb, *col, targets[i], buffers[i].get(),
                      lengths[i]);
        }
        if (sqlite3_step(insert.Statement) != SQLITE_DONE)
            throw TImportError(std::string("cannot write the SQLite file: ") + sqlite3_errmsg(out.Db));
        sqlite3_reset(insert.Statement);
        sqlite3_clear_bindings(insert.Statement);
        if (++done % kProgressStep == 0)
            Say("progress " + std::to_string(done) + " " + std::to_string(total));
    }
    if (rows != def->num_rows)
        throw TImportError("the file is damaged: table \"" + name + "\" declares " +
                           std::to_string(def->num_rows) + " rows but only " + std::to_string(rows) +
                           " can be read");
    CheckReaderReadAll("table \"" + name + "\"");
    Say("progress " + std::to_string(done) + " " + std::to_string(total));

    // Indexing a large table is the program's own work, which a damaged file cannot hold up.
    const ImportGuard::TPause indexing;
    for (const char* key : kKeyColumns) {
        for (unsigned i = 0; i < columns; ++i) {
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(def->columns, i));
            if (SameNameNoCase(col->name, key))
                out.Exec("CREATE INDEX " + Quoted("ix_" + name + "_" + col->name) + " ON " + Quoted(name) +
                         " (" + Quoted(col->name) + ")");
        }
    }
}

void Import(const char* inPath, const std::string& outPath) {
    TPages pages;
    pages.Size = CheckFileShape(inPath);
    TMdb mdb;
    mdb.Handle = mdb_open(inPath, MDB_NOFLAGS);
    if (!mdb.Handle)
        throw TImportError("the file cannot be read as an Access database");
    mdb_set_bind_size(mdb.Handle, kBindSize);
    mdb_set_date_fmt(mdb.Handle, "%Y-%m-%d %H:%M:%S");
    mdb_set_shortdate_fmt(mdb.Handle, "%Y-%m-%d");
    mdb_set_boolean_fmt_numbers(mdb.Handle);
    pages.File = std::fopen(inPath, "rb");
    if (!pages.File || std::fseek(pages.File, 0, SEEK_END) != 0)
        throw TImportError(std::string("cannot open the file: ") + std::strerror(errno));
    pages.Count = static_cast<unsigned long>(std::ftell(pages.File) / pages.Size);

    ImportGuard::Tick();
    GPtrArray* catalog = mdb_read_catalog(mdb.Handle, MDB_ANY);
    ImportGuard::Tick();
    if (!catalog)
        throw TImportError("the file is damaged: its catalogue of tables cannot be read");
    CheckReaderReadAll("its catalogue of tables");

    std::vector<std::unique_ptr<TTable>> tables;
    long total = 0;
    for (guint i = 0; i < catalog->len; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
        if (!entry)
            continue;
        const std::string name(entry->object_name, strnlen(entry->object_name, MDB_MAX_OBJ_NAME));
        if (entry->object_type != MDB_TABLE)
            continue;
        pages.Require(entry->table_pg, "the definition of table \"" + name + "\"");
        if (!mdb_is_user_table(entry)) {
            // Not copied, but a system table whose pages are gone shows that the file lost pages.
            TTable system;
            system.Def = mdb_read_table(entry);
            ImportGuard::Tick();
            if (system.Def)
                CheckUsageMap(*system.Def, pages, name);
            continue;
        }
        if (name.empty())
            throw TImportError("the file is damaged: a table has no name");
        auto table = std::make_unique<TTable>();
        table->Name = name;
        table->Def = mdb_read_table(entry);
        ImportGuard::Tick();
        if (!table->Def)
            throw TImportError("the file is damaged: table \"" + name + "\" cannot be read");
        if (!mdb_read_columns(table->Def) || !table->Def->columns ||
            table->Def->columns->len != table->Def->num_cols || table->Def->num_cols == 0 ||
            table->Def->num_cols > MDB_MAX_COLS)
            throw TImportError("the file is damaged: the columns of table \"" + name + "\" cannot be read");
        CheckUsageMap(*table->Def, pages, name);
        CheckReaderReadAll("table \"" + name + "\"");
        total += static_cast<long>(table->Def->num_rows);
        tables.push_back(std::move(table));
    }
    // Every database the viewer reads holds tables: a catalogue that lists none was damaged.
    if (tables.empty())
        throw TImportError("the file is damaged: its catalogue lists no tables");
    Say("tables " + std::to_string(tables.size()) + " rows " + std::to_string(total));

    std::remove(outPath.c_str());
    TSqlite out;
    if (sqlite3_open_v2(outPath.c_str(), &out.Db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK)
        throw TImportError("cannot create the SQLite file " + outPath + ": " +
                           (out.Db ? sqlite3_errmsg(out.Db) : "out of memory"));
    // The file is renamed into place only when complete, so no journal is needed while writing.
    out.Exec("PRAGMA journal_mode = OFF");
    out.Exec("PRAGMA synchronous = OFF");
    out.Exec("BEGIN");
    long done = 0;
    for (auto& table : tables)
        CopyTable(mdb.Handle, *table, out, done, total);
    // Writing out a large file can take a while: say so, so that the import is not taken for stalled.
    Say("finishing");
    const ImportGuard::TPause writing;
    out.Exec("COMMIT");
    if (sqlite3_close(out.Db) != SQLITE_OK)
        throw TImportError("cannot finish the SQLite file");
    out.Db = nullptr;
}

void SyncFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0 || ::fsync(fd) != 0) {
        if (fd >= 0)
            ::close(fd);
        throw TImportError("cannot write the SQLite file to disk");
    }
    ::close(fd);
}

// The absolute form of a path with its links and ".." resolved; for a file that does not exist
// yet, its folder resolved and its name appended.
std::string ResolvedPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved))
        return resolved;
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (::realpath(folder.c_str(), resolved))
        return std::string(resolved) + (std::string(resolved) == "/" ? "" : "/") + name;
    return path;
}

// True when writing `output` would replace `input`: the same path once links are resolved, or
// another name (a hard link) of the same file.
bool SameFile(const std::string& input, const std::string& output) {
    struct stat in {};
    struct stat out {};
    if (::stat(input.c_str(), &in) == 0 && ::stat(output.c_str(), &out) == 0)
        if (in.st_dev == out.st_dev && in.st_ino == out.st_ino)
            return true;
    return ResolvedPath(input) == ResolvedPath(output);
}

bool ParseCount(const char* text, long& value) {
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || parsed <= 0)
        return false;
    value = parsed;
    return true;
}

constexpr char kHelp[] =
    "Usage: tamo-mdb-import [options] IN.mdb OUT.sqlite\n"
    "Copies every table of an Access database into a new SQLite file (written as OUT.sqlite.part and\n"
    "renamed when complete). Progress lines go to standard output, errors to standard error.\n"
    "\n"
    "Options:\n"
    "  --stall-seconds N      end the import when nothing progresses for N seconds (default 20)\n"
    "  --memory-limit-mb N    address space the import may use, in MiB (default 2048)\n"
    "  --reader-line-limit N  warnings of the Access reader that count as a damaged file (default 100000)\n"
    "  -h, --help             show this help and end\n"
    "  -v, --version          show the version and end\n"
    "\n"
    "Exit codes:\n"
    "  0  the copy is complete\n"
    "  1  the import failed (the message names the reason); no output file is left\n"
    "  2  the command line is wrong\n";

// A wrong command line: one line that says what is wrong and where to look.
int Reject(const std::string& problem) {
    std::fprintf(stderr, "tamo-mdb-import: %s Try 'tamo-mdb-import --help'.\n", problem.c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    enum { kStall = 1000, kMemory, kReaderLines };
    const option options[] = {{"stall-seconds", required_argument, nullptr, kStall},
                              {"memory-limit-mb", required_argument, nullptr, kMemory},
                              {"reader-line-limit", required_argument, nullptr, kReaderLines},
                              {"help", no_argument, nullptr, 'h'},
                              {"version", no_argument, nullptr, 'v'},
                              {nullptr, 0, nullptr, 0}};
    const auto optionName = [&](int code) {
        for (const option& known : options)
            if (known.name && known.val == code)
                return "--" + std::string(known.name);
        return std::string("-") + char(code);
    };
    TImportLimits limits;
    opterr = 0; // the messages are our own
    for (int code; (code = getopt_long(argc, argv, ":hv", options, nullptr)) != -1;) {
        long value = 0;
        switch (code) {
        case 'h':
            std::fputs(kHelp, stdout);
            return 0;
        case 'v':
            std::printf("tamo-mdb-import %s\n", TAMO_VERSION);
            return 0;
        case kStall:
        case kMemory:
        case kReaderLines:
            if (!ParseCount(optarg, value))
                return Reject("Option '" + optionName(code) + "' needs a positive whole number, not '" +
                              optarg + "'.");
            if (code == kStall)
                limits.StallSeconds = static_cast<int>(std::min<long>(value, INT_MAX / 1000));
            else if (code == kMemory)
                limits.MemoryLimitMb = value;
            else
                limits.ReaderLineLimit = value;
            break;
        case ':':
            return Reject("Missing value after '" + optionName(optopt) + "'.");
        default: // an unknown long option leaves its text just before optind, a short one in optopt
            return Reject("Unknown option '" + (optopt ? optionName(optopt) : std::string(argv[optind - 1])) +
                          "'.");
        }
    }
    const std::vector<std::string> paths(argv + optind, argv + argc);
    if (paths.size() != 2)
        return Reject("Give the Access file and the SQLite file to write.");
    const std::string& inPath = paths[0];
    const std::string& outPath = paths[1];
    const std::string partPath = outPath + ".part";
    // The output (and the partial file written first) must never replace the Access file.
    if (SameFile(inPath, outPath) || SameFile(inPath, partPath)) {
        std::fprintf(stderr, "error: the output file is the Access file itself; give another name for "
                             "the SQLite copy\n");
        return 1;
    }
    try {
        if (FILE* protocol = ::fdopen(ImportGuard::Start(limits), "w"))
            gProtocol = protocol;
        ImportGuard::SetOutputFile(partPath);
        Import(inPath.c_str(), partPath);
        Say("finishing");
        {
            const ImportGuard::TPause writing;
            SyncFile(partPath);
        }
        if (std::rename(partPath.c_str(), outPath.c_str()) != 0)
            throw TImportError("cannot rename the SQLite file into place: " +
                               std::string(std::strerror(errno)));
        ImportGuard::Finish();
        Say("done");
        return 0;
    } catch (const std::bad_alloc&) {
        ImportGuard::FailOutOfMemory("the file");
    } catch (const std::exception& error) {
        ImportGuard::Fail(error.what());
    }
}
