// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>

namespace data {
class TDM;
}
namespace store {
class Table;
}

namespace backup::detail {

// Closes the tables of a data module around a change of the whole database and opens again
// the ones that were open, in their order, however the change ends.
class TablesClosed {
public:
    explicit TablesClosed(data::TDM* dm);
    ~TablesClosed();
    TablesClosed(const TablesClosed&) = delete;
    TablesClosed& operator=(const TablesClosed&) = delete;

private:
    QList<store::Table*> m_wasOpen;
};

}  // namespace backup::detail
