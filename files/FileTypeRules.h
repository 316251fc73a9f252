// The text rules of file types, free of the platform: the filter text of the file dialogs and the
// extension a saved file is given.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The field of a ";"-separated list that starts at position, and position moved past its ";" (or to
// the end); false when position is at or past the end.
bool NextTypeName(std::string_view list, size_t* position, std::string_view* field);

// True for a four-character code text that reads as "????": the empty text, or one starting with
// four question marks.
bool IsUnknownCodeText(std::string_view code);

// What the filter builder needs of a registered type.
struct FileTypeFields {
    std::string_view name;
    std::string_view extensions;  // ".txt;.text"
    std::string_view macCreator;
};

// The filter text of the file dialogs for ";"-separated type names: per name "Name (*.a; *.b)",
// a zero byte, "*.a;*.b", a zero byte, built from every type of that name in order (a type without
// extensions and with an unknown creator gives "*.*"); two zero bytes end it. Empty names give the
// empty text. The default extension becomes the first dotted extension (without its dot) of the
// last name that has one, and is left alone otherwise.
std::string BuildDialogFilterText(std::string_view names, const std::vector<FileTypeFields>& types,
                                  bool (*sameName)(std::string_view, std::string_view),
                                  std::string* defaultExtension);

// Gives a file name the extension (written without its dot) unless the name already ends in one of
// the allowed ";"-separated extensions (letter case aside): an extension after the last dot of the
// name's last component (a leading dot does not count) is replaced, and the name is cut so that
// the result stays below maximum bytes. False when the name is left unchanged.
bool ApplyFileExtensionText(std::string* name, std::string_view allowed, std::string_view extension,
                            int32_t maximum);
