#include "sources/influence_table_painting.h"

InfluenceTablePainting& GetInfluenceTablePainting() {
  static InfluenceTablePainting painting;
  return painting;
}
