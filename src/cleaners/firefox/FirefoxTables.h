#pragma once

// What Firefox's history cleaner deletes from places.sqlite, in order. The
// database bench (bench/) runs the same statements through SQLite alone.

#include "formats/TableCleanup.h"

namespace klarvex {

inline constexpr TableStatement kFirefoxHistoryTables[] = {
    // Places a bookmark refers to stay; every other place and every visit go.
    {L"moz_places", L"DELETE FROM moz_places WHERE id NOT IN (SELECT fk FROM moz_bookmarks where fk is not null)"},
    {L"moz_historyvisits", L"DELETE FROM moz_historyvisits"},
    // What today's Firefox keeps about the places that went: metadata,
    // notes, what was typed to reach them, and the sites the address bar
    // completes.
    {L"moz_places_metadata", L"DELETE FROM moz_places_metadata WHERE place_id NOT IN (SELECT id FROM moz_places)"},
    {L"moz_places_metadata_search_queries",
     L"DELETE FROM moz_places_metadata_search_queries WHERE id NOT IN "
     L"(SELECT search_query_id FROM moz_places_metadata WHERE search_query_id IS NOT NULL)"},
    {L"moz_annos", L"DELETE FROM moz_annos WHERE place_id NOT IN (SELECT id FROM moz_places)"},
    {L"moz_inputhistory", L"DELETE FROM moz_inputhistory WHERE place_id NOT IN (SELECT id FROM moz_places)"},
    {L"moz_places_extra", L"DELETE FROM moz_places_extra WHERE place_id NOT IN (SELECT id FROM moz_places)"},
    {L"moz_historyvisits_extra",
     L"DELETE FROM moz_historyvisits_extra WHERE visit_id NOT IN (SELECT id FROM moz_historyvisits)"},
    {L"moz_origins",
     L"DELETE FROM moz_origins WHERE id NOT IN (SELECT origin_id FROM moz_places WHERE origin_id IS NOT NULL)"},
};

}  // namespace klarvex
