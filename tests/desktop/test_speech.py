"""The word said aloud on the test desktop: speech-dispatcher with espeak-ng speaking into the null sink,
the game's cue sounds removed so that whatever is heard is the word. Synthesis follows the play button
and follows the spelled word; a family's recording of the word plays instead of synthesis; and with
no speech server to be reached the game plays as before."""

import io
import math
import os
import struct
import unittest
import wave

import board_game as bg
import game
from game import FRENCH
from harness import PATIENT, Desktop

WORD = 'CHAT'
# Synthesis of a short word is heard within a few seconds, the speech server starting on demand; a busy
# machine or the sanitizers may take many more.
HEARD_WITHIN = 2 * PATIENT
TONE_FREQUENCY = 660.0


def tone(seconds=1.6, frequency=TONE_FREQUENCY, rate=44100, beat=0.2):
    """A WAV test tone beeping every other beat, easy to tell from a voice and from silence."""
    def sample(n):
        on = int(n / rate / beat) % 2 == 0
        return int(12000 * math.sin(2 * math.pi * frequency * n / rate)) if on else 0
    frames = b''.join(struct.pack('<h', sample(n)) for n in range(int(seconds * rate)))
    out = io.BytesIO()
    with wave.open(out, 'wb') as wav:
        wav.setnchannels(1)
        wav.setsampwidth(2)
        wav.setframerate(rate)
        wav.writeframes(frames)
    return out.getvalue()


def quiet_copy(desk, extra_files=()):
    """The game with a one-word French list and no cue sounds."""
    return game.quiet_app(desk, [WORD.lower()], extra_files)


class SpeechTest(unittest.TestCase):
    def play_word(self, desk, app):
        desk.wait_for_window(app.pid, game.START_TITLE)
        game.open_board(desk, app)
        with desk.recorder() as laid_out:
            bg.start_round(desk, app.pid, FRENCH)
            laid_out.wait_heard(HEARD_WITHIN)
        return laid_out

    def test_synthesis_follows_the_play_button_and_the_spelled_word(self):
        with Desktop() as desk:
            app = desk.launch(quiet_copy(desk))
            try:
                self.play_word(desk, app)
                with desk.recorder() as spelled:
                    bg.solve(desk, app.pid, list(WORD))
                    spelled.wait_heard(HEARD_WITHIN)
            finally:
                app.stop()

    def test_a_family_recording_plays_instead_of_synthesis(self):
        recording = tone()
        with Desktop() as desk:
            app = desk.launch(quiet_copy(desk, {f'Sons/Mots/{WORD}.wav': recording}))
            try:
                desk.wait_for_window(app.pid, game.START_TITLE)
                game.open_board(desk, app)
                with desk.recorder() as heard:
                    bg.start_round(desk, app.pid, FRENCH)
                    bg.wait_for_tone(heard, TONE_FREQUENCY, seconds=0.4, timeout=HEARD_WITHIN)
            finally:
                app.stop()

    def test_without_a_speech_server_the_game_plays_as_before(self):
        with Desktop() as desk:
            # A speech server address where none answers, which the client does not start one for.
            unreachable = {'SPEECHD_ADDRESS': 'unix_socket:' + os.path.join(desk.dir, 'no-speech')}
            app = desk.launch(quiet_copy(desk), env=unreachable)
            try:
                desk.wait_for_window(app.pid, game.START_TITLE)
                game.open_board(desk, app)
                bg.start_round(desk, app.pid, FRENCH)
                bg.solve(desk, app.pid, list(WORD))
                bg.wait_board(desk, app.pid, lambda board: board.picture() is not None, 'the picture')
                self.assertTrue(app.alive())
            finally:
                app.stop()


if __name__ == '__main__':
    unittest.main()
