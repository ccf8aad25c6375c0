#pragma once

#include "list/FileItem.h"
#include "toolkit/VirtualStringTree.h"

// A row's state, kept in TItemNodeData::ImageIndex; it is also the index of the row's image.
enum TItemState : int32_t { Waiting = 0, Converting = 1, Done = 2, Failed = 3 };

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
