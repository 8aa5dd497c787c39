// The user's list of extra code pages (the converters in the main settings
// file), the optional "codepage.txt" names of system code pages, and the models
// of the encoding lists: the combo box every encoding choice shows, the
// encoding chooser, and the converter configuration with its two lists.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kastrell {

struct IniBuffer;

struct ConverterEntry {
  std::string text;   // the label shown in encoding lists
  std::int32_t code;  // the code page number
};

// The converter entries of section "Converters" and "Converters\%d". Count is
// clamped to 0..65535; reading stops at the first entry without a valid Code
// (1..65535); a later entry for a code page already listed is dropped.
std::vector<ConverterEntry> ReadConverters(const IniBuffer* ini);
// Writes Count and the entries from 0; entries beyond the new count are left.
bool WriteConverters(IniBuffer* ini, const std::vector<ConverterEntry>& entries);

struct CodePageName {
  std::int32_t number;
  std::string name;  // UTF-8 (each byte of the file is one character)
};
// The lines of "codepage.txt": number, tab, name. Lines whose number part is
// empty or not a number from 1 to 65535 are skipped; a CR before the LF is
// dropped; a line without a tab gives an empty name.
std::vector<CodePageName> ParseCodePageNames(std::string_view bytes);
// Reads installDir + "codepage.txt"; a missing or unreadable file gives none.
std::vector<CodePageName> ReadCodePageNames(const std::string& installDir);

// ---- The encoding combo box
struct EncodingItem {
  std::string label;
  std::int32_t code;  // item data: 0 stands for the system ANSI code page
};
struct EncodingList {
  std::vector<EncodingItem> items;
  std::size_t selected = 0;  // the item whose data equals the current encoding, else 0
};
// "ANSI", "Unicode", "Unicode big endian", "UTF-8" (when the platform converts
// 65001), "Western European (Windows)" (when the ANSI code page is not 1252),
// then the converters in their stored order.
EncodingList FillEncodingList(const std::vector<ConverterEntry>& converters, std::int32_t currentEncoding);
EncodingList FillEncodingList(const IniBuffer* ini, std::int32_t currentEncoding);

// The chooser's result for an item: the "ANSI" item (0) yields the system ANSI
// code page number. The file dialogs keep 0 (no override) instead.
std::int32_t ChooserResult(std::int32_t itemCode);

// ---- The converter configuration (two sorted lists)
class ConverterConfiguration {
 public:
  // The system list holds every code page the platform converts, labelled by
  // number or "name number" when names has one.
  ConverterConfiguration(const std::vector<ConverterEntry>& converters, const std::vector<CodePageName>& names);

  const std::vector<ConverterEntry>& Converters() const { return converters_; }
  const std::vector<ConverterEntry>& SystemPages() const { return system_; }
  // Adds system page `index` (replacing any converter of the same code page).
  void Add(std::optional<std::size_t> index);
  // Removes converter `index`; returns the index of the item that took its
  // place, nothing when none did.
  std::optional<std::size_t> Remove(std::size_t index);
  // OK: writes the list in its (sorted) order.
  bool Save(IniBuffer* ini) const { return WriteConverters(ini, converters_); }

 private:
  std::vector<ConverterEntry> converters_;
  std::vector<ConverterEntry> system_;
};

// Ordering of sorted list boxes: case-insensitive for ASCII, then by bytes.
bool LabelLess(std::string_view a, std::string_view b);

}  // namespace kastrell
