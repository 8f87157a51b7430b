#pragma once
// The server-file editors' rules that need no window: the map-details block, the files the editors work
// on, how their bytes become editor text and back, and where the map-details editor colours its text.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trel {

// ---------------------------------------------------------------------------------------------------
// The map-details block

/// What the preview shows while no map is picked.
inline constexpr std::string_view kChooseMapText = "Please choose a map";

/// One map's block: "[ map ]", "gametype n", "gem_goal g" (multiplayer only), "vorn_timelimit t",
/// "max_gems m", each line ending in CR LF. gametypeIndex is the position in the editor's game-type list
/// (0 teamplay with monsters, 1 without, 2 deathmatch), -1 for none, which the game reads as deathmatch.
/// An empty map gives kChooseMapText without a line end.
std::string buildmapdetails(std::string map, int gametypeIndex, std::string gemgoal, std::string timelimit,
                            std::string maxgems, bool multiplayer);

/// The whole new vorn.ini the map cycle writer produces: the marker lines around one "[name]" line per
/// map of the cycle, every line ending in CR LF.
std::string MapCycleText(const std::vector<std::string>& maps);

// ---------------------------------------------------------------------------------------------------
// Opening the map-details editor

enum class MapEditorCheck { Ready, WrongDirectory };

/// The box the user sees when the Quake 2 path does not name the game's executable.
inline constexpr std::string_view kWrongDirectoryText = "You have selected the wrong directory";

/// The map-details editor opens only when quake2Path names the game's executable, stored with exactly
/// that name; otherwise the user is sent to the Quake 2 locator.
MapEditorCheck CheckMapEditorPath(const std::string& quake2Path);

/// The multiplayer map-details file's name: the main window's server-ini box, or vorn.ini when empty.
std::string ServerIniName(const std::string& serverini);

/// Why the multiplayer map-details file cannot be the name serverini holds: the game reads it from the
/// modification folder only, so an absolute path, a drive, a ".." step or a folder separator would make the
/// editor work on a file the game never reads. Nothing when the name is a plain file name (or empty).
std::optional<std::string> ServerIniNameRefusal(std::string_view serverini);

/// The editors' files, all in the modification folder below quake2Folder.
std::filesystem::path MultiplayerMapFile(const std::string& quake2Folder, const std::string& serverini);
std::filesystem::path SinglePlayerMapFile(const std::string& quake2Folder);
std::filesystem::path MotdFile(const std::string& quake2Folder);

/// "Editing - " and the full path of file, as the editor's heading shows it.
std::string EditingHeading(const std::filesystem::path& file);

// ---------------------------------------------------------------------------------------------------
// Files and editor text

enum class WhenMissing {
    CreateEmpty, // the map-details files: created empty so that the game and the editor find them
    ReadAsEmpty  // the message of the day: an empty text; saving creates the file
};

struct TextFileLoad {
    bool ok = false;
    bool created = false; // a missing file was created empty
    std::string bytes;    // the whole file
    std::string why;      // the file and the reason, when !ok
};

/// Reads file whole. A file that exists but cannot be read fails, so the caller never edits an empty
/// text in its place and later saves that over it.
TextFileLoad LoadTextFile(const std::filesystem::path& file, WhenMissing whenMissing);

/// Editor text from file bytes: every line break (CR LF, a lone CR or a lone LF) becomes one LF, as the
/// text box counts it as one character; every other byte stays.
std::string EditorTextFromFile(std::string_view bytes);

/// A file as the editor loaded it: its editor text and the bytes that ended each of its lines, so that
/// saving gives the lines the user did not touch back their own line ends.
struct LoadedText {
    enum class End : std::uint8_t { CrLf, Cr, Lf };
    std::string text;      // EditorTextFromFile of the bytes
    std::vector<End> ends; // one per LF of text, in order
};

/// The editor text of bytes and the end of each of its lines.
LoadedText LoadTextLines(std::string_view bytes);

/// File bytes from editor text: every LF becomes CR LF and one more CR LF follows the text. A line of
/// text that is one of loaded's lines left as it was (in the unchanged run at the start or at the end of
/// the text) keeps the end it had in the file instead.
std::string FileTextFromEditor(std::string_view text, const LoadedText& loaded = {});

/// Writes FileTextFromEditor(text, loaded) over file atomically. On failure why holds the file and the
/// reason and the old file is as it was.
bool SaveTextFile(const std::filesystem::path& file, std::string_view text, std::string& why,
                  const LoadedText& loaded = {});

// ---------------------------------------------------------------------------------------------------
// Colouring the map-details editor's text. Positions count characters of the editor text, in which a
// line break is one LF (see EditorTextFromFile); a CR LF pair or a lone CR is accepted as well.

enum class ColourKind : std::uint8_t {
    Head,    // "[" through the next "]": red 0, green 0, blue 160
    Comment  // "#" through the line break that ends its line: red 0, green 100, blue 0
};

struct ColourSpan {
    std::size_t start = 0;
    std::size_t length = 0;
    ColourKind kind = ColourKind::Head;

    std::size_t end() const { return start + length; }
    bool operator==(const ColourSpan&) const = default;
};

/// The section heads of text, in order: from each "[" through the first "]" after it. A "[" inside a head
/// is part of that head. A "[" with no "]" after it ends the search.
std::vector<ColourSpan> colourheads(std::string_view text);

/// The comments of text, in order: from a "#" through the line break ending its line. A "#" on the last
/// line with no line break after it is no comment. A "#" inside a comment adds nothing.
std::vector<ColourSpan> colourcomments(std::string_view text);

/// What the text looks like after colourheads and then colourcomments have run over it: sorted,
/// non-overlapping spans, where a comment wins over a head it overlaps. Characters outside every span
/// keep whatever colour they had.
std::vector<ColourSpan> ColourPasses(std::string_view text);

/// Which characters of an edited text are known to carry the colours of the last passes, so that a new
/// pass over a large text touches only what changed. Characters it does not know may carry any colour.
class ColourRecord {
public:
    /// Nothing is known (a freshly loaded text has no colour).
    void clear() { spans_.clear(); }

    /// The text changed at position: removed characters went, added characters came (a colour change is
    /// removed == added). What changed is no longer known.
    void edited(std::size_t position, std::size_t removed, std::size_t added);

    /// The parts of wanted (sorted, non-overlapping) whose colour is not known to be in place.
    std::vector<ColourSpan> missing(const std::vector<ColourSpan>& wanted) const;

    /// wanted (sorted, non-overlapping) has been applied over the text.
    void applied(const std::vector<ColourSpan>& wanted);

    const std::vector<ColourSpan>& known() const { return spans_; }

private:
    std::vector<ColourSpan> spans_; // sorted, non-overlapping, adjacent spans of one kind merged
};

/// The colour of typing: "[" remembers where a head begins, "]" colours the head up to the caret, any
/// other character makes the text typed next black. The state is shared by both edit boxes.
struct OpenHead {
    bool open = false;
    std::size_t position = 0;
};

enum class TypedEffect {
    None,          // a "]" with no open head: nothing changes
    HeadOpened,    // a "[": its position is remembered
    ColourHead,    // a "]" closing a head: colour span dark blue, caret back, the "]" goes in after it
    TypeBlack      // any other character: text typed next is black
};

struct TypedResult {
    TypedEffect effect = TypedEffect::None;
    ColourSpan span; // for ColourHead: from the remembered "[" up to the caret
};

/// What typing character at caret does. A "]" typed before the remembered "[" (the caret moved back, or
/// the "[" was typed further on in the other box) closes the head without colouring anything. Control
/// characters of shortcuts (copy, select all) change nothing; backspace, tab and line breaks type black.
TypedResult TypedCharacter(OpenHead& state, char32_t character, std::size_t caret);

} // namespace trel
