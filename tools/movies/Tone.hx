// Writes a sine tone as a WAV file (16-bit, mono, 44.1 kHz), for the sounds
// of the test movies: haxe --run Tone FILE HERTZ SECONDS
class Tone {
    static function main() {
        var args = Sys.args();
        var hertz = Std.parseFloat(args[1]);
        var samples = Std.int(44100 * Std.parseFloat(args[2]));
        var out = new haxe.io.BytesOutput();
        out.writeString("RIFF");
        out.writeInt32(36 + samples * 2);
        out.writeString("WAVEfmt ");
        out.writeInt32(16);
        out.writeUInt16(1); // PCM
        out.writeUInt16(1); // mono
        out.writeInt32(44100);
        out.writeInt32(44100 * 2);
        out.writeUInt16(2);
        out.writeUInt16(16);
        out.writeString("data");
        out.writeInt32(samples * 2);
        for (i in 0...samples) {
            out.writeInt16(Std.int(12000 * Math.sin(2 * Math.PI * hertz * i / 44100)));
        }
        sys.io.File.saveBytes(args[0], out.getBytes());
    }
}
