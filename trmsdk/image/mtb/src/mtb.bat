%!PS
%%Title: mtb.bat - predefined BAT keys (KORAManage built-in image)
%%EndComments
% No predefined BAT keys in this image.
