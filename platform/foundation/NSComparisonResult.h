#pragma once

// The order of two values, with the platform's numbers.
enum class NSComparisonResult { OrderedAscending = -1, OrderedSame = 0, OrderedDescending = 1 };
