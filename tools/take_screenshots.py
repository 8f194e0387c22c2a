#!/usr/bin/env python3
"""Takes the screenshots of the README: the start screen and the board in a round, with the picture
of a solved word. A 1024x768 screen is switched to 800 x 600 by the game, so that is what a child
sees there; a 1280x600 screen is not switched and shows the board at its full size; a 1920x1080
monitor that the family keeps as it is (--keep-display) is filled by the board scaled up. It runs
the built game on the real-desktop harness of the tests, as root.

    /usr/bin/python3 tools/take_screenshots.py [build/app/trouvimo]

Writes docs/screenshots/{start,board}-{800x600,1280x600}.png and board-1920x1080.png.
"""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, 'tests', 'desktop'))

from harness import Desktop, wait_for  # noqa: E402
import game  # noqa: E402

OUT = os.path.join(ROOT, 'docs', 'screenshots')


def board_labels(desk, pid):
    """The showing labels of the board with a one-letter name, as (name, node)."""
    return [node for node in desk.find(pid, role='label', showing=True) if len(node.name) == 1]


def hint(desk, pid):
    words = [node.name for node in desk.find(pid, role='label', showing=True) if len(node.name) > 1
             and node.name.islower()]
    return words[0] if words else None


def spell(desk, pid, word, letters=None):
    """Clicks the tiles of the row in the order of the word's letters; the tiles are the one-letter
    labels above the answer slots."""
    for count, letter in enumerate(word.upper()):
        if letters is not None and count == letters:
            return

        def tile():
            row = [node for node in board_labels(desk, pid) if node.name == letter]
            row = [node for node in row if node.extents[1] < 300]
            return min(row, key=lambda node: node.extents[0]) if row else None
        node = wait_for(tile, what=f'a tile {letter}')
        desk.click_node(node)
        wait_for(lambda: node.extents not in [n.extents for n in board_labels(desk, pid)
                                              if n.name == letter and n.extents[1] < 300],
                 timeout=5, what=f'tile {letter} placed')


def shoot(binary, mode, label, args=(), start=True):
    with Desktop(mode=mode) as desk:
        app = game.start_game(desk, binary, args=args)
        wait_for(lambda: desk.screenshot() is not None, what='a screen')
        if start:
            desk.screenshot(os.path.join(OUT, f'start-{label}.png'))
        game.open_board(desk, app)
        desk.click_node(game.button(desk, app.pid, 'Jouer'))
        first = wait_for(lambda: hint(desk, app.pid), what='the first hint')
        spell(desk, app.pid, first)
        desk.click_node(game.button(desk, app.pid, 'Jouer'))
        second = wait_for(lambda: (lambda h: h if h and h != first else None)(hint(desk, app.pid)),
                          what='the second hint')
        spell(desk, app.pid, second, letters=2)
        wait_for(lambda: True, timeout=0.6)
        desk.screenshot(os.path.join(OUT, f'board-{label}.png'))
        app.stop()


def main():
    binary = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, 'build', 'app', 'trouvimo'))
    os.makedirs(OUT, exist_ok=True)
    shoot(binary, (1024, 768), '800x600')
    shoot(binary, (1280, 600), '1280x600')
    shoot(binary, (1920, 1080), '1920x1080', args=['--keep-display'], start=False)


if __name__ == '__main__':
    main()
