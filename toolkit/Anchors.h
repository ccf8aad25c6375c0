#pragma once

class QWidget;

// The edges of its parent a control keeps its distance to.
enum TAnchor { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

// Keeps the control at its present distances from the edges of its parent it is anchored to, whenever the parent
// is resized: anchored left and right it grows and shrinks with the parent's width, anchored right only it moves
// with the right edge, anchored to neither it stays where it is; top and bottom likewise. The parent must have
// its laid-out size already.
void Anchor(QWidget* control, int anchors);
