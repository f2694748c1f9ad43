// Reads the rows a list or table view shows now, as painting does; returns their count.
#pragma once

#include <benchmark/benchmark.h>

#include <QAbstractItemModel>
#include <QAbstractItemView>

namespace kestrel::bench {

inline int readVisibleRows(QAbstractItemView& list, const QAbstractItemModel& model) {
  const QRect area = list.viewport()->rect();
  const QModelIndex first = list.indexAt(area.topLeft());
  QModelIndex last = list.indexAt(QPoint(area.left(), area.bottom()));
  if (!last.isValid()) last = model.index(model.rowCount() - 1, 0);
  int rows = 0;
  for (int r = first.row(); first.isValid() && r <= last.row(); ++r) {
    benchmark::DoNotOptimize(model.data(model.index(r, 0), Qt::DisplayRole));
    ++rows;
  }
  return rows;
}

}  // namespace kestrel::bench
