// A page of Chinese text in device fonts, as magazines of the original
// platform set it, for measuring what drawing it costs: 24 lines of 30
// different characters each in four fonts, and the fscommand "probe_started"
// once two frames with the text have been drawn.
import flash.events.Event;
import flash.text.TextField;
import flash.text.TextFormat;

class TextPage {
    static function main() {
        var fonts = ["宋体", "_sans", "黑体", "_serif"];
        for (row in 0...24) {
            var text = "";
            for (column in 0...30) {
                text += String.fromCharCode(0x4E00 + (row * 30 + column) * 7);
            }
            var field = new TextField();
            field.defaultTextFormat = new TextFormat(fonts[row % fonts.length], 20, 0x202020);
            field.width = 780;
            field.height = 24;
            field.x = 10;
            field.y = 4 + row * 24;
            field.text = "第" + row + "行 " + text;
            flash.Lib.current.addChild(field);
        }
        var frames = 0;
        flash.Lib.current.addEventListener(Event.ENTER_FRAME, function(_) {
            if (++frames == 3) {
                untyped __global__["flash.system.fscommand"]("probe_started", "");
            }
        });
    }
}
