// Tests of the data table (Zol_datatable).
#include <gtest/gtest.h>

#include "math/Zol_datatable.h"

using namespace zol;

TEST(DataTable, Stub) {
  TDataTable t(nullptr);
  EXPECT_EQ(t.NrOfColumns(), 1);
}
