#pragma once
// Where the frame's toolbars and tool windows sit: one key per bar under Toolbars, every value
// stored as text. The docking areas are named TBtop, TBleft, TBright and TBbttom.

class QMainWindow;
class TSettingsStore;

// Applies the stored layout of every named toolbar and dock widget of the frame. A bar whose
// layout is not of the current revision keeps its place; a missing key changes nothing.
void LoadToolbarLayout(QMainWindow& frame, TSettingsStore& store);
// Stores the layout of every named bar that is docked or floating.
void SaveToolbarLayout(QMainWindow& frame, TSettingsStore& store);
