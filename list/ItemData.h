#pragma once

#include "toolkit/VirtualStringTree.h"

#include <QString>
#include <QStringList>
#include <cstdint>

// A row's state, kept in TItemNodeData::ImageIndex; it is also the index of the row's image.
enum TItemState : int32_t { Waiting = 0, Converting = 1, Done = 2, Failed = 3 };

// One source file of the list: what to convert, to which format, into which folder, and the busy animation.
struct TItemData {
    QString FileName;        // full path of the source file
    int32_t FormatIndex = 0; // position in the format catalogue; -1 for none
    QString Path;            // output folder; empty means the convert folder beside the program
    uint8_t Busy = 0;        // 1 while this file is being converted
    int32_t BusyPos = 0;     // 0..74: offset of the moving block in the state box
    QString Reason;          // why the last conversion failed; empty unless the row is Failed; never saved
    QString Progress;        // how far the conversion is; empty unless the row is Converting; never saved
    QString Output;          // the file the last conversion made; empty unless the row is Done; never saved
    QStringList LeftOut;     // the source's tracks the last conversion left out, one line each; never saved
};

// Kept with every row; never set or read by the program.
struct TItemRootData {
    QString RootText;
};

// The record of one list row, made with the row and released with it.
struct TItemNodeData {
    uint8_t NodeType = 0;  // 1 for every row the program makes
    int32_t ImageIndex = 0; // the row's TItemState
    TItemRootData RootData;
    TItemData ItemData;
};

// Every list in this program carries TItemNodeData, also one made without a manager installed on it.
inline const bool ItemNodeDataIsDefault =
    (TVirtualStringTree::SetDefaultNodeDataType(NodeDataTypeOf<TItemNodeData>()), true);
