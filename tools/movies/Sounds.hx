// A test movie with sound as magazines have it: an event sound from the
// movie's library (a 440 Hz tone), then an MP3 file beside the movie,
// music.mp3, streamed (1000 Hz). Each stage is the fscommand "sound" with
// "event", "stream" and "done".
import flash.events.Event;
import flash.media.Sound;
import flash.net.URLRequest;

@:sound("event.mp3") class EventSound extends Sound {}

class Sounds {
    static function fscommand(command:String, args:String) {
        untyped __global__["flash.system.fscommand"](command, args);
    }

    static function main() {
        fscommand("sound", "event");
        new EventSound().play().addEventListener(Event.SOUND_COMPLETE, function(_) {
            var music = new Sound(new URLRequest("music.mp3"));
            fscommand("sound", "stream");
            music.play().addEventListener(Event.SOUND_COMPLETE, function(_) fscommand("sound", "done"));
        });
    }
}
