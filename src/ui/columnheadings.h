#pragma once

#include <QString>

class QLabel;
class QListView;

// The headings over the server list: "Address of server" centred over the host column, a bar
// at that column's end and "Port" over the port column. The rows are in a fixed-pitch font and
// the headings are not, so the spaces between them are counted in the label's own font.
QString columnHeadings(const QLabel& label, const QListView& list);

// Where the server list's rows begin, in the list's parent's coordinates.
int rowTextLeft(const QListView& list);
