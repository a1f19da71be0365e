#pragma once

#include <cstddef>
#include <span>
#include <utility>

namespace ruvento {

// The Shell sort that orders both the cells of a developed row and the lines
// of a report: gaps n/2, n/4, ... 1, and an inner walk that stops at the first
// pair already in order, so equal items are never swapped.
template <typename T, typename Greater> void ShellSort(std::span<T> items, Greater greater)
{
    const std::size_t n = items.size();
    for (std::size_t gap = n / 2; gap >= 1; gap /= 2) {
        for (std::size_t i = gap; i < n; ++i) {
            for (std::size_t j = i; j >= gap; j -= gap) {
                if (!greater(items[j - gap], items[j]))
                    break;
                std::swap(items[j - gap], items[j]);
            }
        }
    }
}

} // namespace ruvento
