#pragma once

#include <velorin/env/appfolders.h>

// Defines a size class of a thumbnail store: its description ("<Table>_<Size>"
// connection, "<Table>_<Size>.db" file, table "<Table>") and its constructor.
#define VELORIN_DEFINE_THUMBNAIL_SIZE(Class, Base, Table, Size)                          \
    const TableDescription Class::Description = {Table "_" Size, Table "_" Size ".db", Table, \
                                                 velorin::photoDataFolder, Base::CreateTableStatement, \
                                                 Base::IndexStatements}; \
    Class::Class()                                                                       \
        : Base(Description)                                                              \
    {                                                                                    \
    }
