#include "platform/Table.h"

#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <unordered_map>
#include <utility>

#include "platform/AtomicFile.h"
#include "platform/DbfFormat.h"
#include "platform/Error.h"
#include "platform/FileLock.h"
#include "platform/Mdx.h"
#include "platform/Paths.h"
#include "platform/Text1252.h"

namespace trasvelo::platform {

namespace {

// A table name with an extension is the file name; without one the table is
// <name>.DBF.
std::string DbfFileName(std::string_view name) {
  std::string n(name);
  return fs::path(n).has_extension() ? n : n + ".DBF";
}

// The production index beside a .DBF file: same stem, .MDX in the letter
// case of the table's own extension.
std::string MdxFileName(std::string_view dbfFile) {
  fs::path p{std::string(dbfFile)};
  const std::string ext = p.extension().string();
  const bool lower = ext != UpperAscii(ext) && ext == LowerAscii(ext);
  return p.stem().string() + (lower ? ".mdx" : ".MDX");
}

std::string Describe(std::string_view table, const fs::path& file) {
  return "la tabla " + Cp1252ToUtf8(table) + " (" + file.string() + ")";
}

std::string Capitalised(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
    text[0] = static_cast<char>(text[0] - 32);
  return text;
}

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { Reset(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  void Reset() {
    if (fd_ >= 0)
      ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// 0, or the errno of the failure.
int WriteAt(int fd, std::string_view bytes, off_t at) {
  while (!bytes.empty()) {
    ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), at);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      return errno;
    }
    if (n == 0)
      return EIO;
    bytes.remove_prefix(static_cast<size_t>(n));
    at += n;
  }
  return 0;
}

int ReadWhole(int fd, std::string& out) {
  struct stat st {};
  if (::fstat(fd, &st) != 0)
    return errno;
  if (!S_ISREG(st.st_mode))
    return EISDIR;
  out.assign(static_cast<size_t>(st.st_size), '\0');
  size_t done = 0;
  while (done < out.size()) {
    ssize_t n = ::pread(fd, out.data() + done, out.size() - done, static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR)
        continue;
      return errno;
    }
    if (n == 0)
      break;  // shrunk meanwhile
    done += static_cast<size_t>(n);
  }
  out.resize(done);
  return 0;
}

// Every spelling of `file` in `dir`, removed one by one. Stops at a failure.
void RemoveAllSpellings(const fs::path& dir, std::string_view file) {
  for (int guard = 0; guard < 64; ++guard) {
    std::optional<fs::path> found = FindIgnoreCase(dir, file);
    std::error_code ec;
    if (!found || !fs::remove(*found, ec) || ec)
      return;
  }
}

bool InUseByAnother(const fs::path& file) {
  Fd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  return fd.valid() && lock::HeldElsewhere(fd.get());
}

}  // namespace

void DropTable(const fs::path& dir, std::string_view name) {
  const std::string dbfFile = DbfFileName(name);
  // A table that another program holds open stays, with its index: Windows
  // refuses to delete a file in use, and the following create then fails.
  for (int guard = 0; guard < 64; ++guard) {
    std::optional<fs::path> found = FindIgnoreCase(dir, dbfFile);
    if (!found)
      break;
    if (InUseByAnother(*found))
      return;
    std::error_code ec;
    if (!fs::remove(*found, ec) || ec)
      break;
  }
  RemoveAllSpellings(dir, MdxFileName(dbfFile));
}

void CreateTable(const fs::path& dir, std::string_view name, const std::vector<FieldDef>& fields,
                 const std::vector<IndexDef>& indexes) {
  const fs::path path = ResolveIgnoreCase(dir, DbfFileName(name));
  const std::string who = Describe(name, path);
  ErrorPlace place{path.string(), std::string(name), -1, ""};
  auto fail = [&](const std::string& detail) {
    throw TableError("No se puede crear " + who + ": " + detail, place);
  };

  dbf::Layout layout;
  try {
    layout = dbf::PlanTable(fields, indexes);
  } catch (const dbf::FormatError& e) {
    fail(e.what());
  }

  // A table that another program has open is not replaced, as on Windows.
  // Our lock on the old file is held until the new one has taken its place.
  Fd fd;
  std::error_code ec;
  if (fs::exists(path, ec)) {
    fd = Fd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    if (!fd.valid())
      fail(std::strerror(errno));
    int locked = lock::TryLock(fd.get(), lock::Kind::Exclusive);
    if (locked == 0) {
      throw TableError(Capitalised(who) + " está en uso por otro programa", place);
    }
    if (locked < 0)
      fail(std::strerror(-locked));
  }
  // The new file appears whole or not at all: a full disk or a run killed
  // half-way never leaves a header without its fields.
  auto replace = [&](const fs::path& target, const std::string& bytes, const std::string& what) {
    try {
      WriteFileAtomically(target, bytes);
    } catch (const FileError& e) {
      fail(what + e.what());
    }
  };
  replace(path, dbf::BuildHeader(layout) + dbf::kEndOfFile, "");

  const std::string mdxFile = MdxFileName(path.filename().string());
  RemoveAllSpellings(dir, mdxFile);
  if (!indexes.empty()) {
    std::vector<mdx::Tag> tags;
    for (const IndexDef& index : indexes) {
      for (const dbf::Field& f : layout.fields) {
        if (EqualsIgnoreCase1252(f.name, index.fields))
          tags.push_back({index.name, f.name});
      }
    }
    const fs::path mdxPath = dir / mdxFile;
    replace(mdxPath,
            mdx::BuildEmpty(fs::path(path.filename()).stem().string(), layout.language, tags),
            "su índice: ");
  }
}

struct Table::Impl {
  enum class State { Browse, Edit, Insert };

  fs::path dir;
  std::string name;
  fs::path path;  // resolved on open

  Fd fd;
  bool writable = false;
  dbf::Layout layout;
  std::string records;  // the records, recordLength bytes each, in file order
  uint32_t count = 0;   // records in the file, deleted ones included
  long deleted = 0;
  std::string blank;                               // a record of unset fields
  std::unordered_map<std::string, size_t> byName;  // upper-case name -> field
  std::vector<FieldInfo> infos;

  long current = -1;  // the current record's index; -1 when there is none
  bool eof = true;
  State state = State::Browse;
  std::string buffer;  // the record being edited or appended

  std::string filterField;
  std::string filterValue;
  bool hasFilter = false;
  bool filtered = false;
  const dbf::Field* filterOn = nullptr;

  ErrorPlace Place(std::string_view field = {}, long record = -1) const {
    return ErrorPlace{FilePath().string(), name, record, Cp1252ToUtf8(field)};
  }
  fs::path FilePath() const {
    return path.empty() ? ResolveIgnoreCase(dir, DbfFileName(name)) : path;
  }
  std::string Who() const { return Describe(name, FilePath()); }
  [[noreturn]] void Fail(const std::string& message, std::string_view field = {}) const {
    throw TableError(message, Place(field));
  }

  void RequireOpen() const {
    if (!fd.valid())
      Fail(Capitalised(Who()) + " no está abierta");
  }

  const dbf::Field& FieldOf(std::string_view field) const {
    RequireOpen();
    auto it = byName.find(UpperAscii(field));
    if (it == byName.end()) {
      Fail(Capitalised(Who()) + " no tiene el campo '" + Cp1252ToUtf8(field) + "'", field);
    }
    return layout.fields[it->second];
  }

  std::string_view Record(long index) const {
    return std::string_view(records).substr(static_cast<size_t>(index) * layout.recordLength,
                                            layout.recordLength);
  }
  std::string_view CurrentRecord() const {
    if (state != State::Browse)
      return buffer;
    if (current < 0)
      return blank;
    return Record(current);
  }
  static std::string_view Raw(std::string_view record, const dbf::Field& f) {
    return record.substr(static_cast<size_t>(f.offset), static_cast<size_t>(f.width));
  }

  bool Visible(long index) const {
    std::string_view r = Record(index);
    if (r[0] == dbf::kDeleted)
      return false;
    return !filtered || filterOn == nullptr ||
           dbf::Matches(layout, *filterOn, Raw(r, *filterOn), filterValue);
  }

  void ApplyFilter() {
    filterOn = nullptr;
    if (filtered && hasFilter)
      filterOn = &FieldOf(filterField);
  }

  void GoFirst() {
    current = -1;
    eof = true;
    for (long i = 0; i < static_cast<long>(count); ++i) {
      if (Visible(i)) {
        current = i;
        eof = false;
        return;
      }
    }
  }

  void GoNext() {
    for (long i = current + 1; i < static_cast<long>(count); ++i) {
      if (Visible(i)) {
        current = i;
        return;
      }
    }
    eof = true;  // the last record stays current, as the engine leaves it
  }

  void RequireEditing(std::string_view field) const {
    if (state == State::Browse) {
      Fail(Capitalised(Who()) + " no está en edición: el campo '" + Cp1252ToUtf8(field) +
               "' solo se escribe tras Append o Edit",
           field);
    }
  }

  void RequireChangeable() const {
    RequireOpen();
    if (layout.productionIndex) {
      Fail(Capitalised(Who()) +
           " tiene un índice de producción (.MDX) que este programa no mantiene: no se le "
           "añaden ni se le cambian registros");
    }
    if (!writable)
      Fail(Capitalised(Who()) + " está abierta solo para lectura");
  }

  template <typename Write>
  void SetField(std::string_view field, Write write) {
    const dbf::Field& f = FieldOf(field);
    RequireEditing(field);
    try {
      write(f, buffer.data() + f.offset);
    } catch (const dbf::FormatError& e) {
      Fail(Capitalised(Who()) + ": " + e.what(), field);
    } catch (const ConversionError& e) {
      throw ConversionError(e.what(), Place(field));
    }
  }

  void Post() {
    if (state == State::Browse)
      return;
    const bool inserting = state == State::Insert;
    const uint32_t index = inserting ? count : static_cast<uint32_t>(current);
    const off_t at = static_cast<off_t>(layout.headerLength) +
                     static_cast<off_t>(index) * static_cast<off_t>(layout.recordLength);
    std::string bytes = buffer;
    if (inserting)
      bytes += dbf::kEndOfFile;
    const uint32_t newCount = inserting ? count + 1 : count;
    int err = WriteAt(fd.get(), bytes, at);
    if (err == 0)
      err = WriteAt(fd.get(), dbf::DateAndCount(newCount), 1);
    if (err != 0) {
      throw TableError("No se puede escribir en " + Who() + ": " + std::strerror(err),
                       Place({}, static_cast<long>(index) + 1));
    }
    if (inserting) {
      records += buffer;
      count = newCount;
      current = static_cast<long>(index);
    } else {
      records.replace(static_cast<size_t>(index) * layout.recordLength, layout.recordLength,
                      buffer);
    }
    layout.recordCount = count;
    eof = false;
    state = State::Browse;
  }

  void Release() {
    fd.Reset();
    records.clear();
    records.shrink_to_fit();
    state = State::Browse;
    current = -1;
    eof = true;
    filterOn = nullptr;
  }
};

Table::Table(fs::path dir, std::string name) : impl_(std::make_unique<Impl>()) {
  impl_->dir = std::move(dir);
  impl_->name = std::move(name);
}

Table::~Table() {
  if (!impl_)
    return;
  try {
    Close();
  } catch (const std::exception&) {
    impl_->Release();
  }
}

Table::Table(Table&&) noexcept = default;
Table& Table::operator=(Table&& other) noexcept {
  if (this != &other) {
    if (impl_) {
      try {
        Close();
      } catch (const std::exception&) {
        impl_->Release();
      }
    }
    impl_ = std::move(other.impl_);
  }
  return *this;
}

void Table::Open(OpenMode mode) {
  Impl& t = *impl_;
  if (t.fd.valid())
    return;
  const std::string file = DbfFileName(t.name);
  std::error_code ec;
  if (!fs::is_directory(t.dir, ec)) {
    t.path.clear();
    t.Fail("No se encuentra el directorio " + t.dir.string() + " de la tabla " +
           Cp1252ToUtf8(t.name));
  }
  std::optional<fs::path> found = FindIgnoreCase(t.dir, file);
  t.path = found ? *found : t.dir / file;
  if (!found)
    t.Fail("No se encuentra " + t.Who());

  Fd fd(::open(t.path.c_str(), O_RDWR | O_CLOEXEC));
  bool writable = fd.valid();
  if (!fd.valid() && mode == OpenMode::Shared && (errno == EACCES || errno == EROFS)) {
    fd = Fd(::open(t.path.c_str(), O_RDONLY | O_CLOEXEC));
  }
  if (!fd.valid())
    t.Fail("No se puede abrir " + t.Who() + ": " + std::strerror(errno));
  const int locked = lock::TryLock(
      fd.get(), mode == OpenMode::Exclusive ? lock::Kind::Exclusive : lock::Kind::Shared);
  if (locked == 0)
    t.Fail(Capitalised(t.Who()) + " está en uso por otro programa");
  if (locked < 0)
    t.Fail("No se puede bloquear " + t.Who() + ": " + std::strerror(-locked));

  std::string bytes;
  if (int err = ReadWhole(fd.get(), bytes)) {
    t.Fail("No se puede leer " + t.Who() + ": " + std::strerror(err));
  }
  try {
    t.layout = dbf::ParseHeader(bytes);
  } catch (const dbf::FormatError& e) {
    t.Fail(Capitalised(t.Who()) + " está dañada: " + e.what());
  }
  t.count = t.layout.recordCount;
  t.records =
      bytes.substr(t.layout.headerLength, static_cast<size_t>(t.count) * t.layout.recordLength);
  bytes.clear();
  bytes.shrink_to_fit();
  t.deleted = 0;
  for (uint32_t i = 0; i < t.count; ++i) {
    if (t.records[static_cast<size_t>(i) * t.layout.recordLength] == dbf::kDeleted)
      ++t.deleted;
  }
  t.blank = dbf::BlankRecord(t.layout);
  t.byName.clear();
  t.infos.clear();
  for (size_t i = 0; i < t.layout.fields.size(); ++i) {
    const dbf::Field& f = t.layout.fields[i];
    t.byName.emplace(UpperAscii(f.name), i);  // the first of a name wins
    t.infos.push_back(FieldInfo{f.name, f.type, f.width, f.decimals});
  }
  t.fd = std::move(fd);
  t.writable = writable;
  t.state = Impl::State::Browse;
  try {
    t.ApplyFilter();
  } catch (...) {
    t.Release();
    throw;
  }
  t.GoFirst();
}

void Table::Close() {
  Impl& t = *impl_;
  if (!t.fd.valid())
    return;
  try {
    t.Post();
  } catch (...) {
    t.Release();
    throw;
  }
  t.Release();
}

bool Table::Active() const {
  return impl_->fd.valid();
}
const std::string& Table::Name() const {
  return impl_->name;
}
fs::path Table::FilePath() const {
  return impl_->FilePath();
}
const std::vector<FieldInfo>& Table::Fields() const {
  return impl_->infos;
}

void Table::First() {
  impl_->RequireOpen();
  impl_->Post();
  impl_->GoFirst();
}

void Table::Next() {
  impl_->RequireOpen();
  impl_->Post();
  if (!impl_->eof)
    impl_->GoNext();
}

bool Table::Eof() const {
  return impl_->state == Impl::State::Insert ? false : impl_->eof;
}

long Table::RecordNumber() const {
  const Impl& t = *impl_;
  if (t.state == Impl::State::Insert || t.eof || t.current < 0)
    return 0;
  return t.current + 1;
}

void Table::Append() {
  Impl& t = *impl_;
  t.RequireChangeable();
  t.Post();
  t.buffer = t.blank;
  t.state = Impl::State::Insert;
}

void Table::Edit() {
  Impl& t = *impl_;
  t.RequireChangeable();
  if (t.state != Impl::State::Browse)
    return;
  if (t.current < 0 || t.eof)
    t.Fail(Capitalised(t.Who()) + " no tiene un registro actual que editar");
  t.buffer = std::string(t.Record(t.current));
  t.state = Impl::State::Edit;
}

void Table::Post() {
  impl_->RequireOpen();
  impl_->Post();
}

bool Table::Locate(std::string_view fields, const std::vector<std::string>& values) {
  Impl& t = *impl_;
  t.RequireOpen();
  std::vector<const dbf::Field*> wanted;
  std::string_view rest = fields;
  for (;;) {
    size_t semi = rest.find(';');
    std::string_view one = rest.substr(0, semi);
    while (!one.empty() && one.front() == ' ')
      one.remove_prefix(1);
    while (!one.empty() && one.back() == ' ')
      one.remove_suffix(1);
    wanted.push_back(&t.FieldOf(one));
    if (semi == std::string_view::npos)
      break;
    rest.remove_prefix(semi + 1);
  }
  if (wanted.size() != values.size()) {
    t.Fail("Búsqueda en " + t.Who() + " con " + std::to_string(wanted.size()) + " campos y " +
           std::to_string(values.size()) + " valores");
  }
  t.Post();
  for (long i = 0; i < static_cast<long>(t.count); ++i) {
    if (!t.Visible(i))
      continue;
    std::string_view r = t.Record(i);
    bool all = true;
    for (size_t k = 0; all && k < wanted.size(); ++k) {
      all = dbf::Matches(t.layout, *wanted[k], Impl::Raw(r, *wanted[k]), values[k]);
    }
    if (all) {
      t.current = i;
      t.eof = false;
      return true;
    }
  }
  return false;
}

std::string Table::AsString(std::string_view field) const {
  const dbf::Field& f = impl_->FieldOf(field);
  return dbf::ReadText(impl_->layout, f, Impl::Raw(impl_->CurrentRecord(), f));
}

int32_t Table::AsInteger(std::string_view field) const {
  const Impl& t = *impl_;
  const dbf::Field& f = t.FieldOf(field);
  std::string_view raw = Impl::Raw(t.CurrentRecord(), f);
  try {
    if (!dbf::IsNumeric(t.layout, f))
      return StrToInt(dbf::ReadText(t.layout, f, raw));
    if (dbf::IsBlank(t.layout, f, raw))
      return 0;
    std::optional<int64_t> whole = dbf::ReadWhole(t.layout, f, raw);
    if (!whole || *whole < INT32_MIN || *whole > INT32_MAX) {
      throw ConversionError(NotAnIntegerMessage(dbf::ReadText(t.layout, f, raw)));
    }
    return static_cast<int32_t>(*whole);
  } catch (const ConversionError& e) {
    throw ConversionError(e.what(), t.Place(field, t.current + 1));
  }
}

double Table::AsFloat(std::string_view field) const {
  const Impl& t = *impl_;
  const dbf::Field& f = t.FieldOf(field);
  std::string_view raw = Impl::Raw(t.CurrentRecord(), f);
  try {
    if (dbf::IsNumeric(t.layout, f))
      return dbf::ReadNumber(t.layout, f, raw).value_or(0.0);
    const std::string text = dbf::ReadText(t.layout, f, raw);
    if (std::optional<double> v = dbf::ParseNumber(text))
      return *v;
    throw ConversionError("'" + Cp1252ToUtf8(text) + "' is not a valid floating point value");
  } catch (const ConversionError& e) {
    throw ConversionError(e.what(), t.Place(field, t.current + 1));
  }
}

bool Table::IsBlank(std::string_view field) const {
  const dbf::Field& f = impl_->FieldOf(field);
  return dbf::IsBlank(impl_->layout, f, Impl::Raw(impl_->CurrentRecord(), f));
}

void Table::SetString(std::string_view field, std::string_view value) {
  impl_->SetField(
      field, [&](const dbf::Field& f, char* out) { dbf::WriteText(impl_->layout, f, value, out); });
}

void Table::SetInteger(std::string_view field, int64_t value) {
  impl_->SetField(field, [&](const dbf::Field& f, char* out) {
    dbf::WriteInteger(impl_->layout, f, value, out);
  });
}

void Table::SetFloat(std::string_view field, double value) {
  impl_->SetField(field, [&](const dbf::Field& f, char* out) {
    dbf::WriteFloat(impl_->layout, f, value, out);
  });
}

void Table::SetBoolean(std::string_view field, bool value) {
  impl_->SetField(field, [&](const dbf::Field& f, char* out) {
    dbf::WriteBoolean(impl_->layout, f, value, out);
  });
}

long Table::RecordCount() const {
  impl_->RequireOpen();
  return static_cast<long>(impl_->count) - impl_->deleted;
}

void Table::SetFilter(std::string_view expression) {
  Impl& t = *impl_;
  // FIELD= 'value', the inner quotes doubled; blanks around the parts.
  auto bad = [&]() {
    t.Fail("Filtro no admitido en " + t.Who() + ": " + Cp1252ToUtf8(expression) +
           " (se espera CAMPO= 'valor')");
  };
  std::string_view e = expression;
  size_t eq = e.find('=');
  if (eq == std::string_view::npos)
    bad();
  std::string_view field = e.substr(0, eq);
  while (!field.empty() && field.front() == ' ')
    field.remove_prefix(1);
  while (!field.empty() && field.back() == ' ')
    field.remove_suffix(1);
  std::string_view rest = e.substr(eq + 1);
  while (!rest.empty() && rest.front() == ' ')
    rest.remove_prefix(1);
  while (!rest.empty() && rest.back() == ' ')
    rest.remove_suffix(1);
  if (field.empty() || rest.size() < 2 || rest.front() != '\'' || rest.back() != '\'')
    bad();
  std::string value;
  std::string_view inner = rest.substr(1, rest.size() - 2);
  for (size_t i = 0; i < inner.size(); ++i) {
    if (inner[i] == '\'') {
      if (i + 1 >= inner.size() || inner[i + 1] != '\'')
        bad();
      ++i;
    }
    value += inner[i];
  }
  t.filterField = std::string(field);
  t.filterValue = std::move(value);
  t.hasFilter = true;
  if (t.fd.valid() && t.filtered) {
    t.Post();
    t.ApplyFilter();
    t.GoFirst();
  }
}

void Table::SetFiltered(bool on) {
  Impl& t = *impl_;
  t.filtered = on;
  if (!t.fd.valid())
    return;
  t.Post();
  t.ApplyFilter();
  t.GoFirst();
}

}  // namespace trasvelo::platform
