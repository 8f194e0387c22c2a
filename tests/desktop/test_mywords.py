"""My words on the test desktop, tried as a new user would: a family's English list of one word gets a
new word recorded from a microphone that hears a 660 Hz tone (PulseAudio's sine source) and a photo
chosen through the file dialog; a thirteen-letter word is refused; the old word goes with its photo to
the trash; the list keeps its CR LF line ends; then the game plays the new word with that photo and
that tone. Without a sound server the window says there is no microphone and goes on working."""

import os
import shutil
import unittest

import board_game as bg
import game
from game import ENGLISH
from harness import Desktop, pitch, wait_for

TONE = 660
WORD = 'kitten'
TOO_LONG = 'abcdefghijklm'
CUES = ('Camera.wav', 'Cashreg.wav', 'Chimes.wav', 'Logoff.wav', 'Tada.wav', 'fanfare4.wav')
# A take of the endless tone stops by itself after five seconds; the window then writes it.
RECORDED_WITHIN = 20.0
ENGLISH_ENV = {'LANG': 'C.UTF-8', 'LC_ALL': 'C.UTF-8', 'LANGUAGE': ''}


def family_folder(desk):
    return os.path.join(desk.env['XDG_DATA_HOME'], 'trouvimo')


def named(desk, pid, role, name):
    return desk.find_one(pid, role=role, name=name, timeout=10)


def type_text(desk, text):
    desk.run(['xdotool', 'type', '--delay', '40', text])


class MyWordsTest(unittest.TestCase):
    def quiet_game(self, desk):
        """The game with its cues taken away: whatever the sink hears is the word."""
        binary = desk.copy_app(game.game_binary())
        for cue in CUES:
            os.remove(os.path.join(os.path.dirname(binary), 'Sons', cue))
        return binary

    def test_a_word_recorded_and_photographed_in_the_window_is_played(self):
        with Desktop() as desk:
            desk.run(['pactl', 'load-module', 'module-sine-source', 'source_name=mic', 'rate=44100',
                      f'frequency={TONE}'])
            desk.run(['pactl', 'set-default-source', 'mic'])
            binary = self.quiet_game(desk)
            folder = family_folder(desk)
            listed = os.path.join(folder, ENGLISH.list_file)
            old_photo = os.path.join(folder, 'Images', 'MotsAnglais', 'DOG.gif')
            os.makedirs(os.path.dirname(old_photo))
            shutil.copy(os.path.join(os.path.dirname(binary), ENGLISH.picture('dog')), old_photo)
            with open(listed, 'wb') as out:
                out.write(b'dog\r\n')
            photo = os.path.join(desk.dir, 'my kitten.png')
            desk.run(['convert', '-size', '640x480', 'gradient:orange-white', photo])

            words = desk.launch(binary, args=['--words'], env=ENGLISH_ENV, name='words')
            self.addCleanup(words.stop)
            window = desk.wait_for_window(words.pid, 'My words')
            self.assertIn('checked', named(desk, words.pid, 'radio button', 'English words').states)

            # A new word, typed and added.
            desk.click_node(named(desk, words.pid, 'text', 'New word'))
            type_text(desk, WORD)
            desk.click_node(named(desk, words.pid, 'push button', 'Add'))
            wait_for(lambda: open(listed, 'rb').read() == b'dog\r\nkitten\r\n', timeout=10,
                     what='the word added to the list')

            # Recorded from the microphone: the take stops by itself.
            desk.click_node(named(desk, words.pid, 'push button', 'Record'))
            recording = os.path.join(folder, 'Sons', 'MotsAnglais', 'KITTEN.wav')
            wait_for(lambda: os.path.exists(recording), timeout=RECORDED_WITHIN, what='the recording')
            self.assertAlmostEqual(pitch(recording), TONE, delta=15)

            # A photo chosen through the dialog.
            desk.click_node(named(desk, words.pid, 'push button', 'Choose a photo…'))
            wait_for(lambda: len(desk.windows(words.pid)) > 1, timeout=10, what='the file dialog')
            type_text(desk, photo)
            desk.key('Return')
            stored = os.path.join(folder, 'Images', 'MotsAnglais', 'KITTEN.png')
            wait_for(lambda: os.path.exists(stored), timeout=10, what='the photo stored')
            with open(stored, 'rb') as copy, open(photo, 'rb') as original:
                self.assertEqual(copy.read(), original.read())

            # Thirteen letters: refused, nothing written.
            desk.click_node(named(desk, words.pid, 'text', 'New word'))
            type_text(desk, TOO_LONG)
            desk.click_node(named(desk, words.pid, 'push button', 'Add'))
            wait_for(lambda: desk.find(words.pid, role='label', name=lambda name: '13 letters' in name),
                     timeout=10, what='the reason beside the field')
            self.assertEqual(open(listed, 'rb').read(), b'dog\r\nkitten\r\n')

            # The old word removed, its photo in the trash.
            desk.click_node(named(desk, words.pid, {'list item', 'table cell'},
                                  lambda name: name.startswith('dog,')))
            desk.click_node(named(desk, words.pid, 'push button', 'Remove'))
            desk.click_node(named(desk, words.pid, 'push button', '&Yes'))
            wait_for(lambda: open(listed, 'rb').read() == b'kitten\r\n', timeout=10,
                     what='the old word removed, the CR LF line ends kept')
            trash = os.path.join(desk.env['XDG_DATA_HOME'], 'Trash', 'files', 'DOG.gif')
            wait_for(lambda: os.path.exists(trash), timeout=5, what='the old photo in the trash')
            self.assertFalse(os.path.exists(old_photo))
            words.stop()

            # The game plays the new word with its photo and its recording.
            played = game.start_game(desk, binary, self)
            game.open_board(desk, played, english=True)
            with desk.recorder() as heard:
                board = bg.start_round(desk, played.pid, ENGLISH)
                self.assertEqual(board.hint(), WORD)
                # The sink's recorder writes stereo at 44.1 kHz (see harness.Recorder).
                wait_for(lambda: abs(pitch(heard.path, channels=2, rate=44100) - TONE) < 15,
                         timeout=10, what=f'the recorded {TONE} Hz tone on the sink')
            board = bg.solve(desk, played.pid, list(WORD.upper()))
            picture = bg.wait_board(desk, played.pid, lambda now: now.picture(), 'the photo').picture()
            self.assertEqual(picture.name, 'KITTEN')

    def test_without_a_sound_server_the_window_says_so_and_works(self):
        with Desktop() as desk:
            binary = self.quiet_game(desk)
            folder = family_folder(desk)
            os.makedirs(folder)
            listed = os.path.join(folder, ENGLISH.list_file)
            with open(listed, 'wb') as out:
                out.write(b'dog\n')
            nowhere = dict(ENGLISH_ENV, PULSE_SERVER='unix:' + os.path.join(desk.dir, 'no-pulse'))
            words = desk.launch(binary, args=['--words'], env=nowhere, name='words')
            self.addCleanup(words.stop)
            desk.wait_for_window(words.pid, 'My words')
            named(desk, words.pid, 'label', lambda name: name.startswith('No microphone was found'))
            desk.click_node(named(desk, words.pid, 'text', 'New word'))
            type_text(desk, 'owl')
            desk.key('Return')
            wait_for(lambda: open(listed, 'rb').read() == b'dog\nowl\n', timeout=10,
                     what='the word added without a microphone')
            self.assertTrue(words.alive())


if __name__ == '__main__':
    unittest.main()
