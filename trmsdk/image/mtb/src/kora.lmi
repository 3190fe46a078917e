%!PS
%%Title: kora.lmi - Lumen Imaging resources (KORAManage built-in image)
%%Version: 1.1
%%EndComments
% Lumen Imaging is offered as an option of the built-in image; this module only
% announces its version to the status page.
MTBdict /LMIVER (1.1) put
