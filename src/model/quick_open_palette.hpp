#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/quick_open.hpp"

namespace quenlith {

// The id of the palette's last row, "Open or search: …".
inline constexpr std::string_view kQuickOpenSearchRowID = "search";

// The keys the palette's search field turns into commands.
enum class QuickOpenKey { down, up, returnKey, escape, other };
enum class QuickOpenCommand { moveDown, moveUp, submit, cancel };

// The command of a key in the search field. While an input method is composing (its preedit text
// is not empty) no key is a command: the arrows, Return and Escape belong to the input method.
std::optional<QuickOpenCommand> quickOpenCommand(QuickOpenKey key, bool composing);

// The state of the palette that is not drawn: the query, the results and the highlighted row.
// The highlight moves with the arrows and stops at either end; a new query highlights the first
// row; new results keep the highlighted row while it is still listed. Main thread only.
class QuickOpenPalette {
public:
    // What Return or a click on a row asks for: open a target, search the text, or nothing.
    struct Submission {
        enum class Kind { none, choose, search };
        Kind kind = Kind::none;
        QuickOpenTarget target;
        std::string text;
        bool operator==(const Submission&) const = default;
    };

    const std::string& query() const { return query_; }
    const std::vector<QuickOpenItem>& items() const { return items_; }
    const std::optional<std::string>& selected() const { return selected_; }
    // Whether the query holds more than white space (the search row is shown).
    bool hasQuery() const;
    // Whether the query is too long to open or search for: the search row says so and does nothing.
    bool queryTooLong() const;
    // The row ids in order, then the search row's when there is a query.
    std::vector<std::string> selectableIDs() const;

    // The text of the field changed: new results, and the first row highlighted.
    void setQuery(std::string query, std::vector<QuickOpenItem> items);
    // A store changed: new results for the same query; the highlight stays while listed.
    void setItems(std::vector<QuickOpenItem> items);
    // Up (-1) or Down (+1); with nothing highlighted Down takes the first row and Up the last.
    void moveSelection(int step);
    void select(std::optional<std::string> id);
    // Return: the highlighted row, else the first row, else a search for a query not too long.
    Submission submit() const;

private:
    std::string query_;
    std::vector<QuickOpenItem> items_;
    std::optional<std::string> selected_;
};

}  // namespace quenlith
