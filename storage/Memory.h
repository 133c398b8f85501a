#pragma once
// The low-memory guards' common part: the ready-made guard of the searches
// and the filling of the window Alert.

#include "MemoryStatus.h"

#include <QString>

// The outcome of the last CheckMemory: true when memory was sufficient.
extern bool MemoryOk;

// The available share of physical and virtual memory together is below a
// tenth of their total (false for totals of 0).
bool MemoryIsShort(const vb::MemoryStatus &status);

// A used share as Alert shows it: Str of (total - available) / total x 100,
// then " %" (" 97.5 %").
QString UsedPercentText(qint64 total, qint64 available);

// Loads Alert, writes the used physical and virtual shares into Text1 and
// Text2, and shows it modeless.
void ShowMemoryAlert(const vb::MemoryStatus &status);

// Reads the memory status; when memory is short, MemoryOk becomes false and
// Alert is shown with its figures. The caller goes on either way.
void CheckMemory();

// The guard of the windows that open a whole set of cards: memory is short
// when available physical memory is below 50 KB and available virtual
// memory below 2000 KB, both at once. Then Alert shows both used shares and
// the guard returns true: the caller opens nothing.
// Memory is too short to open a set of cards: less than 50 KB of physical
// and less than 2000 KB of virtual memory available at the same time.
bool MemoryTooShortForCards(const vb::MemoryStatus &status);
bool LowMemoryGuard();

// What one card window takes, about (its editors, grids and frame, with the
// card's text), in KB.
inline constexpr qint64 kCardMemoryKB = 400;
// Sets of a keyword's cards up to this size open without a question (the
// word searches ask above a threshold of their own, see WordSearch.h).
inline constexpr int kCardsWithoutQuestion = 300;

// Sets up to this size are left to the low-memory guard alone.
inline constexpr int kSmallCardSet = 20;

// Whether count cards, more than a small set, would take more than the
// available physical memory.
bool CardSetTooLarge(const vb::MemoryStatus &status, qint64 count);
// What is said of such a set.
QString CardSetTooLargeMessage(const vb::MemoryStatus &status, qint64 count);
