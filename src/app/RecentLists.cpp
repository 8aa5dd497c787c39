#include "app/RecentLists.h"

#include <algorithm>

#include "app/IniStore.h"
#include "app/UserValues.h"
#include "platform/Path.h"
#include "platform/Utf.h"

namespace kastrell {

RecentList::RecentList(std::u16string section, std::u16string entryPrefix, std::size_t capacity)
    : section_(std::move(section)), prefix_(std::move(entryPrefix)), capacity_(capacity) {}

namespace {
// Remote names compare as written; local paths by the platform's path rules.
bool SameEntry(const std::string& a, const std::string& b) {
  return IsRemoteName(a) || IsRemoteName(b) ? a == b : path::Same(a, b);
}
}  // namespace

void RecentList::Add(const std::string& path) {
  if (path.empty() || capacity_ == 0) return;
  auto it = std::find_if(entries_.begin(), entries_.end(), [&](const std::string& e) { return SameEntry(e, path); });
  if (it != entries_.end()) {
    // The entry takes the spelling just used.
    *it = path;
    std::rotate(entries_.begin(), it, it + 1);
    return;
  }
  if (entries_.size() == capacity_) entries_.pop_back();
  entries_.insert(entries_.begin(), path);
}

void RecentList::Remove(std::size_t index) {
  if (index < entries_.size()) entries_.erase(entries_.begin() + std::ptrdiff_t(index));
}

std::u16string RecentList::ValueName(std::size_t number) const {
  std::string n = std::to_string(number);
  return prefix_ + std::u16string(n.begin(), n.end());
}

void RecentList::Load(const IniBuffer* values) {
  entries_.clear();
  for (std::size_t i = 1; i <= capacity_; ++i) {
    std::optional<std::u16string> v = IniStore::GetString(values, section_, ValueName(i));
    if (v && !v->empty()) entries_.push_back(Utf16ToUtf8(*v));
  }
}

bool RecentList::Save(IniBuffer* values) const {
  if (!values) return false;
  bool ok = true;
  for (std::size_t i = 0; i < entries_.size(); ++i)
    ok = IniStore::SetString(values, section_, ValueName(i + 1), Utf8ToUtf16(entries_[i])) && ok;
  for (std::size_t i = entries_.size() + 1; i <= capacity_; ++i) IniStore::DeleteEntry(values, section_, ValueName(i));
  return ok;
}

std::string RecentList::MenuLabel(std::size_t index, std::size_t maxChars) const {
  if (index >= entries_.size()) return {};
  static const char kKeys[] = "1234567890abcdef";
  std::string label = "&";
  label += index < 16 ? kKeys[index] : '?';
  label += ' ';
  return label + ShortenForMenu(entries_[index], maxChars);
}

bool IsRemoteName(std::string_view name) {
  if (name.starts_with("ftp(")) return true;
  // login@server:path, with no '/' before the ':' that ends the server.
  std::size_t at = name.find('@');
  std::size_t colon = name.find(':');
  std::size_t slash = name.find('/');
  return at != name.npos && at > 0 && colon != name.npos && colon > at + 1 && (slash == name.npos || slash > colon);
}

std::string RecentDirectoryOf(std::string_view p) {
  std::size_t slash = p.rfind('/');
  if (slash == p.npos) return std::string(p);
  if (slash == 0 || p[slash - 1] == ':') return std::string(p.substr(0, slash + 1));
  return std::string(p.substr(0, slash));
}

std::string ShortenForMenu(std::string_view p, std::size_t maxChars) {
  std::u16string u = Utf8ToUtf16(p);
  if (u.size() > maxChars) {
    static const std::u16string kDots = u"...";
    std::size_t last = u.rfind(u'/');
    std::size_t headEnd = u.find(u'/', u.size() > 0 && u[0] == u'/' ? 1 : 0);
    std::u16string shortened;
    if (last != u.npos && headEnd != u.npos && headEnd < last) {
      // Keep the first folder and as many whole trailing components as fit.
      std::u16string head = u.substr(0, headEnd) + u'/' + kDots;
      std::size_t cut = last;
      while (true) {
        std::size_t prev = cut == 0 ? u.npos : u.rfind(u'/', cut - 1);
        if (prev == u.npos || prev <= headEnd || head.size() + (u.size() - prev) > maxChars) break;
        cut = prev;
      }
      if (head.size() + (u.size() - cut) <= maxChars) shortened = head + u.substr(cut);
    }
    if (shortened.empty()) {
      std::size_t keep = maxChars > kDots.size() ? maxChars - kDots.size() : 0;
      shortened = kDots + u.substr(u.size() - std::min(keep, u.size()));
    }
    u = shortened;
  }
  std::string out;
  for (char c : Utf16ToUtf8(u)) {
    out += c;
    if (c == '&') out += '&';
  }
  return out;
}

void RecentLists::Add(const std::string& p, const std::string& baseDir, bool directoryOnly) {
  std::string full = IsRemoteName(p) ? p : path::Normalize(path::Join(baseDir, p));
  if (!directoryOnly) {
    files.Add(full);
    dirs.Add(RecentDirectoryOf(full));
  } else {
    dirs.Add(full);
  }
}

void RecentLists::Load(const UserValues& values) {
  std::unique_ptr<IniBuffer> b = values.Open();
  files.Load(b.get());
  dirs.Load(b.get());
}

bool RecentLists::Save(UserValues& values) const {
  std::unique_ptr<IniBuffer> b = values.Open();
  if (!b) return false;
  bool ok = files.Save(b.get());
  ok = dirs.Save(b.get()) && ok;
  return values.Save(std::move(b)) && ok;
}

}  // namespace kastrell
